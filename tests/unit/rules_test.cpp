#include <gtest/gtest.h>

#include "catalogue/text.h"
#include "remote/rules.h"

namespace stackle {
namespace {

TEST(RulePattern, MatchesTheWholeValueWithWildcardsAndWithoutCase) {
  struct Case {
    const char16_t* pattern;
    const char16_t* value;
    bool matches;
  };
  const Case cases[] = {
      {u"notepad.exe", u"NOTEPAD.EXE", true},
      {u"notepad.exe", u"notepad.exe.bak", false},  // the whole value, not a part of it
      {u"note*", u"notepad.exe", true},
      {u"*.exe", u"notepad.exe", true},
      {u"*.exe", u"exe", false},
      {u"*Reminder*", u"3 Reminders - Outlook", true},
      {u"*Reminder*", u"Remind", false},
      {u"backup?.exe", u"backup7.exe", true},
      {u"backup?.exe", u"backup.exe", false},
      {u"a*b*c", u"aXbYc", true},
      {u"a*b*c", u"aXcYb", false},
      {u"a*b*c", u"abcbc", true},
      {u"*", u"", true},
      {u"?", u"", false},
      {u"*?*", u"x", true},
      {u"メモ帳*", u"メモ帳 - 無題", true},
      {u"*ＡＢＣ*", u"xａｂｃx", true},  // full-width letters without case
      {u"É*", u"écran", true},
      {u"?", u"\U0001F4DA", true},  // one character, though two code units
      {u"??", u"\U0001F4DA", false},
      {u"*\U0001F4DA", u"Books \U0001F4DA", true},
      {u"a?c", u"abd", false},
  };
  for (const Case& c : cases) {
    const auto pattern = Pattern::Parse(c.pattern);
    ASSERT_TRUE(pattern) << EncodeUtf8(c.pattern);
    EXPECT_EQ(pattern->Matches(c.value), c.matches)
        << EncodeUtf8(c.pattern) << " on " << EncodeUtf8(c.value);
  }
  EXPECT_FALSE(Pattern::Parse(u""));
  // Many stars over a long value that almost matches: no backtracking blow-up.
  const auto many = Pattern::Parse(u"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b");
  EXPECT_FALSE(many->Matches(Text(200000, u'a')));
}

TEST(RuleFile, ReadsTheRulesItUnderstandsAndSaysWhyItSkipsTheRest) {
  const std::string ini =
      "[Hotkeys]\r\nHide=\r\n[rules]\r\n"
      "Top=exe:notepad.exe\r\n"
      "top = exe:outlook.exe  title:\"*Reminder*\"\r\n"
      "Hide=class:Discord*\r\n"
      "Priority=HIGH exe:obs64.exe\r\n"
      "; a comment\r\n"
      "Priority=realtime exe:game.exe\r\n"
      "Priority=idle\r\n"
      "Pin=exe:x.exe\r\n"
      "Top=path:x.exe\r\n"
      "Top=exe:\r\n"
      "Top=exe:a.exe exe:b.exe\r\n"
      "Top=title:\"unclosed\r\n"
      "Top=title:\"メモ帳 - 無題\"\r\n";
  const RuleBook book = ReadRules(ini);
  ASSERT_EQ(book.rules.size(), 5u);
  EXPECT_EQ(book.rules[0].exe->text(), u"notepad.exe");
  EXPECT_EQ(book.rules[1].title->text(), u"*Reminder*");
  EXPECT_EQ(book.rules[2].action, RuleAction::kHide);
  EXPECT_EQ(book.rules[3].priority, PriorityClass::kHigh);
  EXPECT_EQ(book.rules[4].title->text(), u"メモ帳 - 無題");
  EXPECT_EQ(book.problems.size(), 7u);
  EXPECT_EQ(book.problems[0],
            "優先度は idle、normal、high のどれかです: Priority=realtime exe:game.exe");

  const WindowFacts outlook{u"Reminder - Outlook", u"rctrl_renwnd32", u"C:\\Office\\OUTLOOK.EXE"};
  EXPECT_TRUE(Matches(book.rules[1], outlook));
  EXPECT_FALSE(Matches(book.rules[0], outlook));
  const Rule by_path = ReadRules("[Rules]\nTop=exe:c:\\office\\*.exe\n").rules.at(0);
  EXPECT_TRUE(Matches(by_path, outlook)) << "a backslash matches the whole path";
  EXPECT_EQ(PinProgramLine(u"My App.exe"), "Top=exe:\"My App.exe\"");
  EXPECT_TRUE(Matches(ReadRules("[Rules]\n" + PinProgramLine(u"My App.exe")).rules.at(0),
                      {u"", u"", u"D:\\My App.exe"}));
}

}  // namespace
}  // namespace stackle
