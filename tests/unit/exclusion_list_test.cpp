#include "catalogue/exclusion_list.h"

#include <gtest/gtest.h>

#include "catalogue/text.h"
#include "platform/sim/sim_files.h"

namespace stackle {
namespace {

TEST(ExclusionFile, SplitsLinesByteForByte) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Text> entries;
  };
  const Case cases[] = {
      {"empty file", "", {}},
      {"LF", "a\nb\n", {u"a", u"b"}},
      {"CR LF", "a\r\nb\r\n", {u"a", u"b"}},
      {"last line without line end counts", "a\nb", {u"a", u"b"}},
      {"blank line is an empty entry", "a\n\nb", {u"a", u"", u"b"}},
      {"a lone line end is one empty entry", "\n", {u""}},
      {"blanks and case are kept", " Note \nNOTE", {u" Note ", u"NOTE"}},
      {"a CR not before LF stays", "a\rb\nc\r", {u"a\rb", u"c\r"}},
      {"duplicates stay", "x\nx\n", {u"x", u"x"}},
      {"UTF-8 with byte-order mark", "\xEF\xBB\xBF\xE3\x83\xA1\xE3\x83\xA2\r\n", {u"メモ"}},
      {"ANSI bytes go through the code page", "caf\xE9\n", {u"caf\u00E9"}},
      {"UTF-8 without the mark, as Notepad writes it", "\xE3\x83\xA1\xE3\x83\xA2\n", {u"メモ"}},
      {"an overlong form without the mark: the code page", "\xC0\xAF", {u"\u00C0\u00AF"}},
      {"invalid UTF-8 becomes replacement characters",
       "\xEF\xBB\xBF\xC3(\xFF\n",
       {u"\uFFFD(\uFFFD"}},
      {"a sequence cut short by the line end", "\xEF\xBB\xBF\xF0\x9F\x92\nx", {u"\uFFFD", u"x"}},
      {"an encoded surrogate is no character", "\xEF\xBB\xBF\xED\xA0\x80", {u"\uFFFD"}},
      {"overlong forms are no characters",
       "\xEF\xBB\xBF\xE0\x80\xAF/\xC0\xAF\xF8\x88\x80\x80\x80",
       {u"\uFFFD/" + Text(7, u'\uFFFD')}},
  };
  sim::SimFiles files;
  for (const Case& c : cases) {
    EXPECT_EQ(ParseExclusionFile(c.bytes, files), c.entries) << c.what;
  }
}

TEST(ExclusionList, MatchesCaseSensitiveSubstringsAtCharacterBoundaries) {
  const Text pile = u"\U0001F4DA";  // one character, two UTF-16 units
  struct Case {
    Text entry;
    Text title;
    bool excluded;
  };
  const Case cases[] = {
      {u"Note", u"Notepad", true},
      {u"pad", u"Notepad", true},
      {u"tep", u"Notepad", true},
      {u"notepad", u"Notepad", false},
      {u"Notepad!", u"Notepad", false},
      {u"", u"anything", true},
      {u"メモ", u"無題 - メモ帳", true},
      {pile, u"Books " + pile, true},
      // Half of a surrogate pair is never a character of its own.
      {pile.substr(0, 1), u"Books " + pile, false},
      {pile.substr(1), u"Books " + pile, false},
      {pile.substr(1) + u"x", pile + u"x", false},
  };
  for (const Case& c : cases) {
    ExclusionList list;
    list.Replace({c.entry});
    EXPECT_EQ(list.Excludes(c.title), c.excluded)
        << EncodeUtf8(c.entry) << " in " << EncodeUtf8(c.title);
  }
}

TEST(ExclusionList, KeepsOldEntriesWhenTheFileCannotBeRead) {
  sim::SimFiles files;
  ExclusionList list;
  files.files[u"nolist.txt"] = "Calc\n";
  list.Load(files);
  ASSERT_EQ(list.Entries(), std::vector<Text>{u"Calc"});

  files.files.erase(u"nolist.txt");
  list.Load(files);
  EXPECT_EQ(list.Entries(), std::vector<Text>{u"Calc"}) << "missing file";

  files.files[u"nolist.txt"] = "other";
  files.failing[u"nolist.txt"] = FileState::kUnreadable;
  list.Load(files);
  EXPECT_EQ(list.Entries(), std::vector<Text>{u"Calc"}) << "a directory or a refused file";

  files.failing.clear();
  files.files[u"nolist.txt"] = "";
  list.Load(files);
  EXPECT_TRUE(list.Entries().empty()) << "an empty file clears the list";
}

}  // namespace
}  // namespace stackle
