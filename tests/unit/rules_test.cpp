#include <gtest/gtest.h>

#include "catalogue/text.h"
#include "remote/ini_file.h"
#include "remote/rules.h"
#include "sim_desk.h"

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

// Stackle running with rules, and a reminder program whose window comes and goes.
struct RuleDesk : SimDesk {
  explicit RuleDesk(const std::string& rules) {
    files.files[kIniFileName] = "[Rules]\r\n" + rules;
    Open();
  }
  ProcessId reminders = windows.AddProcess(false, u"outlook.exe");
  WindowRef Open(const Text& title, bool visible = true) {
    const WindowRef w =
        windows.AddWindow({.title = title, .process = reminders, .visible = visible});
    dialog.Pump();
    return w;
  }
  void Show(WindowRef w, bool shown) {
    windows.Show(w, shown ? ShowCommand::kShow : ShowCommand::kHide);
    dialog.Pump();
  }
  void Tick() { dialog.Send({kWmTimer, kRuleWatchTimer, 0}); }
  using SimDesk::Open;
};

TEST(Rules, ActOnceEachTimeAWindowAppearsAndNeverOverruleTheUser) {
  RuleDesk d("Top=exe:outlook.exe title:\"*Reminder*\"\r\n");
  const WindowRef w = d.Open(u"Reminder");
  struct Step {
    const char* what;
    std::function<void()> act;
    bool on_top;
  };
  const Step steps[] = {
      {"pinned as it appears", [] {}, true},
      {"unpinned by a script, and left so",
       [&] {
         d.operations.PlaceWindow(w, InsertAfter::kNoTopMost, Origin::kScript);
         d.Command(IDC_REFRESH);
       },
       false},
      {"retitled, still the same appearance",
       [&] {
         d.windows.Retitle(w, u"2 Reminders");
         d.dialog.Pump();
       },
       false},
      {"hidden and shown again by its program", [&] { d.Show(w, false), d.Show(w, true); }, true},
      {"unpinned by hand",
       [&] { d.operations.PlaceWindow(w, InsertAfter::kNoTopMost, Origin::kDialog); }, false},
      {"hidden and shown again by Stackle: no new appearance",
       [&] {
         d.operations.ToggleHidden(w, Origin::kDialog);
         d.operations.ToggleHidden(w, Origin::kDialog);
         d.dialog.Pump();
       },
       false},
  };
  EXPECT_EQ(d.windows.ZOrder()[0], d.dialog.Window()) << "Stackle back above what rules pinned";
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(d.windows.IsTopMost(w), step.on_top) << step.what;
  }
  // Made hidden, shown later without a word (Wine), titled later still: the watch sees it.
  const WindowRef late = d.Open(u"Inbox", /*visible=*/false);
  d.windows.Get(late).visible = true;
  d.Tick();
  EXPECT_FALSE(d.windows.IsTopMost(late));
  d.windows.Get(late).title = u"Reminder";
  d.Tick();
  EXPECT_TRUE(d.windows.IsTopMost(late)) << "a title set late";
  EXPECT_NE(d.windows.ForegroundWindow(), late) << "a rule takes no foreground";
  // A Store app's frame, shown titled before the app's window arrives in it.
  const WindowRef frame = d.windows.AddWindow(
      {.title = u"Reminder", .class_name = kStoreFrameClass, .process = d.windows.AddProcess()});
  d.dialog.Pump();
  EXPECT_FALSE(d.windows.IsTopMost(frame)) << "no program yet";
  d.windows.AddChild(frame, {0, 0, 300, 200}, d.reminders);
  d.Tick();
  EXPECT_TRUE(d.windows.IsTopMost(frame)) << "the app's program arrived in its frame";
  EXPECT_EQ(d.layer.Rules().Report(),
            u"Top=exe:outlook.exe title:\"*Reminder*\"\t有効 (適用 4 回、拒否 0 回)\r\n");
}

TEST(Rules, UndoWhatTheyDidAtExitAndAfterAKill) {
  sim::SimWindowSystem windows;
  sim::SimFiles files;
  files.files[kIniFileName] =
      "[Rules]\r\nTop=title:Pinned*\r\nHide=title:Chat\r\nPriority=idle exe:outlook.exe\r\n"
      "Priority=high title:Pinned*\r\n";
  const ProcessId outlook = windows.AddProcess(false, u"outlook.exe"), other = windows.AddProcess();
  windows.AddWindow({.title = u"Desktop", .process = other});
  const WindowRef pinned = windows.AddWindow({.title = u"Pinned", .process = other});
  const WindowRef chat = windows.AddWindow({.title = u"Chat", .process = outlook});
  const WindowRef by_itself =
      windows.AddWindow({.title = u"Pinned by itself", .process = outlook, .topmost = true});
  windows.AddWindow(
      {.title = u"Pinned admin", .process = windows.AddProcess(true), .refuses = true});
  auto run = std::make_unique<StackleRun>(windows, files);
  EXPECT_TRUE(windows.IsTopMost(pinned));
  EXPECT_FALSE(windows.IsVisible(chat)) << "hidden into the register";
  EXPECT_EQ(windows.PriorityOf(outlook), kIdle) << "the first Priority rule wins";
  EXPECT_EQ(windows.PriorityOf(other), kHigh) << "a rule's class, not the policy's";
  run->dialog.Send(CommandMessage(IDC_REFRESH));
  EXPECT_EQ(windows.PriorityOf(outlook), kIdle) << "it lasts over a rebuild";
  EXPECT_EQ(run->dialog.tray.balloons.size(), 2u) << "a balloon per refused rule, once";

  // Killed: no exit sequence. The next run finds the mark and undoes the pin at its exit.
  const WindowRef killed = run->dialog.Window();
  run->dialog.events.Listen(false);
  run.reset();
  windows.DestroyWindow(killed);
  files.files[kIniFileName] = "";
  run = std::make_unique<StackleRun>(windows, files);
  EXPECT_TRUE(windows.IsTopMost(pinned)) << "no rule now, yet the pin stays until exit";
  run->dialog.Send({kWmClose, 0, 0});
  EXPECT_FALSE(windows.IsTopMost(pinned)) << "a rule's pin is undone";
  EXPECT_TRUE(windows.IsTopMost(by_itself)) << "a window on top by itself is left";
  EXPECT_TRUE(windows.IsVisible(chat));
  for (WindowRef w : windows.ZOrder())
    EXPECT_TRUE(windows.Get(w).marks.empty()) << "no mark of Stackle's is left";
}

}  // namespace
}  // namespace stackle
