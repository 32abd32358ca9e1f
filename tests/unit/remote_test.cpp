#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/text.h"
#include "remote/command_line.h"
#include "remote/command_message.h"
#include "remote/ini_file.h"
#include "sim_desk.h"
#include "ui/help_text.h"
#include "ui/tray_menus.h"

namespace stackle {
namespace {

constexpr std::uint32_t kCtrlShift = kModControl | kModShift;
constexpr std::uint32_t kF8 = 0x77, kF10 = 0x79, kF11 = 0x7A;

TEST(HotkeyText, ReadsEveryFormItWritesAndNothingElse) {
  struct Case {
    const char* text;
    std::optional<Hotkey> key;
    const char* written;
    bool usable;  // with Ctrl, Alt or Win, or F13 to F24, or off
  };
  const Case cases[] = {
      {" shift + CONTROL +f11\t", Hotkey{kCtrlShift, kF11}, "Ctrl+Shift+F11", true},
      {"Win+Alt+Delete", Hotkey{kModWin | kModAlt, 0x2E}, "Alt+Win+Delete", true},
      {"Ctrl+Plus", Hotkey{kModControl, 0xBB}, "Ctrl+Plus", true},
      {"F24", Hotkey{0, 0x87}, "F24", true},
      {"f13", Hotkey{0, 0x7C}, "F13", true},
      {"F12", Hotkey{0, 0x7B}, "F12", false},
      {"Ctrl+F1", Hotkey{kModControl, 0x70}, "Ctrl+F1", true},
      {"Ctrl+0", Hotkey{kModControl, '0'}, "Ctrl+0", true},
      {"Ctrl+z", Hotkey{kModControl, 'Z'}, "Ctrl+Z", true},
      {"Alt+num0", Hotkey{kModAlt, 0x60}, "Alt+Num0", true},
      {"Alt+Num9", Hotkey{kModAlt, 0x69}, "Alt+Num9", true},
      {"Ctrl+VK_07", Hotkey{kModControl, 0x07}, "Ctrl+VK_07", true},
      {"Ctrl+vk_fe", Hotkey{kModControl, 0xFE}, "Ctrl+VK_FE", true},
      {"Shift+Delete", Hotkey{kModShift, 0x2E}, "Shift+Delete", false},
      {"Shift+NumDivide", Hotkey{kModShift, 0x6F}, "Shift+NumDivide", false},
      {"Shift+Semicolon", Hotkey{kModShift, 0xBA}, "Shift+Semicolon", false},
      {"Shift+Quote", Hotkey{kModShift, 0xDE}, "Shift+Quote", false},
      {"", Hotkey{}, "", true},
      {"a", Hotkey{0, 'A'}, "A", false},
      {"Shift+Space", Hotkey{kModShift, 0x20}, "Shift+Space", false},
      {"Ctrl+Ctrl+A", std::nullopt, "", false},
      {"Ctrl+", std::nullopt, "", false},
      {"+A", std::nullopt, "", false},
      {"Ctrl+F25", std::nullopt, "", false},
      {"Ctrl+F01", std::nullopt, "", false},
      {"Ctrl+AB", std::nullopt, "", false},
      {"Hyper+A", std::nullopt, "", false},
      {"Ctrl+VK_06", std::nullopt, "", false},
      {"Ctrl+VK_FF", std::nullopt, "", false},
      {"Ctrl+VK_G1", std::nullopt, "", false},
      {"Ctrl+Num", std::nullopt, "", false},
      {"Ctrl+A+Shift", std::nullopt, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto key = ParseHotkey(c.text);
    EXPECT_EQ(key, c.key);
    if (!key) continue;
    EXPECT_EQ(FormatHotkey(*key), c.written);
    EXPECT_EQ(ParseHotkey(FormatHotkey(*key)), key);
    EXPECT_EQ(IsUsableHotkey(*key), c.usable);
  }
}

TEST(HotkeyFile, IsReadAsFarAsItMakesSenseAndRewrittenKeepingTheRest) {
  const HotkeySet defaults = DefaultHotkeys();
  const auto with = [&](std::size_t action, Hotkey key, std::optional<std::size_t> off = {}) {
    HotkeySet keys = defaults;
    keys[action] = key;
    if (off) keys[*off] = {};
    return keys;
  };
  constexpr std::size_t kTop = 0, kBottom = 1, kHide = 2, kShowStackle = 4;
  struct Case {
    const char* content;
    HotkeySet keys;
    std::size_t problems;
  };
  const Case cases[] = {
      {"", defaults, 0},
      {"[Hotkeys]\r\nHide = Ctrl+Alt+H\r\n", with(kHide, {kModControl | kModAlt, 'H'}), 0},
      {"; mine\n[hotkeys]\nhide=\n# off\n", with(kHide, {}), 0},
      {"\xEF\xBB\xBF[Hotkeys]\nHide=\n", with(kHide, {}), 0},  // as Notepad saves UTF-8
      {"[Other]\nHide=Ctrl+A\n[Hotkeys]\n", defaults, 0},
      {"[Hotkeys]\nBogus=Ctrl+A\nHide=Ctrl+Bogus\nHide=Ctrl+B\nno equals\n", with(kHide, {}), 4},
      {"[Hotkeys]\nHide=Shift+Delete\nShowStackle=F13\n", with(kShowStackle, {0, 0x7C}, kHide), 1},
      // A default taken by another action moves; a key given twice in the file stays first.
      {"[Hotkeys]\nHide=Ctrl+Shift+F11\n", with(kHide, {kCtrlShift, kF11}, kTop), 0},
      {"[Hotkeys]\nHide=Ctrl+Shift+F1\nShowStackle=Ctrl+Shift+F1\n",
       with(kHide, {kCtrlShift, 0x70}, kShowStackle), 1},
      {"[Hotkeys]\nSendToBottom=Ctrl+Shift+F11\nToggleTopMost=Ctrl+Shift+F11\n",
       with(kBottom, {kCtrlShift, kF11}, kTop), 1},
  };
  for (const Hotkey key : defaults)  // as the built-in help names them
    EXPECT_NE(Text(kHelpText).find(WidenAscii(FormatHotkey(key)) + u"："), Text::npos);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    const HotkeyFile file = ReadHotkeyFile(c.content);
    EXPECT_EQ(file.keys, c.keys);
    EXPECT_EQ(file.problems.size(), c.problems);
  }
  const HotkeySet keys = with(kHide, {kModWin, 'Q'}, kTop);
  const std::string written = WriteHotkeyFile(
      "\xEF\xBB\xBF; mine\n[Other]\r\nx=1\r\n[Hotkeys]\r\nHide=Q\r\n[Later]\r\ny=2", keys);
  EXPECT_TRUE(
      written.starts_with("\xEF\xBB\xBF; mine\r\n[Other]\r\nx=1\r\n[Later]\r\ny=2\r\n[Hotkeys]\r\n"
                          "ToggleTopMost=\r\nSendToBottom=Ctrl+Shift+F10\r\nHide=Win+Q\r\n"))
      << written;  // that it reads back is the fuzz target's
}

TEST(CommandLine, TakesEachSwitchWithItsTextAndRefusesTheRest) {
  struct Case {
    std::vector<Text> arguments;
    Command command;  // kNone with an error expected when `refused`
    bool refused;
  };
  const Case cases[] = {
      {{}, {}, false},
      {{u"/SHOW", u" "}, {CommandVerb::kShow, u" "}, false},
      {{u"/showall"}, {CommandVerb::kShowAll, {}}, false},
      {{u"/?"}, {CommandVerb::kHelp, {}}, false},
      {{u"/close", Text(kMaxCommandText, u'x')},
       {CommandVerb::kClose, Text(kMaxCommandText, u'x')},
       false},
      {{u"/close", Text(kMaxCommandText + 1, u'x')}, {}, true},
      {{u"/top"}, {}, true},
      {{u"/top", u""}, {}, true},
      {{u"/top", u"a", u"b"}, {}, true},
      {{u"/list", u"Mail"}, {}, true},
      {{u"/"}, {}, true},
      {{u"top", u"Mail"}, {}, true},
      {{u"/topmost", u"Mail"}, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments.empty() ? "" : EncodeUtf8(c.arguments[0])));
    const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.command, c.command);
    EXPECT_EQ(!parsed.error.empty(), c.refused);
  }
}

TEST(CommandMessage, IsTakenOnlyInItsDocumentedForm) {
  const auto decode = [](const std::string& bytes) {
    return DecodeCommand({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  };
  // Sizes, terminators and the reply window are the fuzz target's, what each verb does the real
  // program's; these are well formed but mean nothing.
  const std::string forged[] = {
      EncodeCommand({CommandVerb::kHelp, {}}, 0, 0),
      EncodeCommand({CommandVerb::kNone, {}}, 0, 0),
      EncodeCommand({static_cast<CommandVerb>(99), u"Mail"}, 0, 0),
      EncodeCommand({CommandVerb::kTop, {}}, 0, 0),
      EncodeCommand({CommandVerb::kList, u"Mail"}, 0, 0),
      EncodeCommand({CommandVerb::kTop, Text(kMaxCommandText + 1, u'x')}, 0, 0),
  };
  for (const std::string& bytes : forged)
    EXPECT_FALSE(decode(bytes)) << testing::PrintToString(bytes.substr(0, 24));
}

// Stackle running with a stackle.ini of its own and Ctrl+Shift+F10 held by another program,
// the dialog out of focus.
struct HotkeyDesk : SimDesk {
  explicit HotkeyDesk(std::string ini = "[Hotkeys]\r\nShowStackle=\r\n") {
    files.files[kIniFileName] = std::move(ini);
    dialog.hotkeys.held_by_others = {{kCtrlShift, kF10}};
    Open();
    dialog.LoseFocus();
  }
  // A command handed over by a command process: what the dialog returned.
  std::optional<std::intptr_t> Deliver(const stackle::Command& command) {
    return Send(EncodeCommand(command, reply, dialog.commands.now + kCommandLifetime), reply);
  }
  std::optional<std::intptr_t> Send(const std::string& bytes, WindowRef sender) {
    const CopyData data{kCommandTag, static_cast<std::uint32_t>(bytes.size()), bytes.data()};
    return dialog.Send({kWmCopyData, sender, reinterpret_cast<std::intptr_t>(&data)});
  }
  // One that is carried out; gives its code.
  int Hand(const stackle::Command& command) {
    const auto result = Deliver(command);
    EXPECT_EQ(result, kCommandAnswered + dialog.commands.answers.back());
    return dialog.commands.answers.back();
  }
  void PressHotkey(HotkeyAction action) {
    dialog.Send({kWmHotkey, static_cast<std::size_t>(action) + 1, 0});
  }
  // The command process's window that takes the output.
  WindowRef reply = windows.AddWindow(
      {.title = {}, .class_name = kReplyWindowClass, .process = mail_process, .visible = false});
};

TEST(CommandTarget, IsTheFirstEntryWhoseTitleHoldsTheTextAmongTheVerbsEntries) {
  const std::vector<ListedWindow> listed = {
      {.title = u"Inbox - Mail", .topmost = true},
      {.title = u"Mail \U0001F600", .minimized = true, .folder = true},
      {.title = u"Notes"},
      {.title = u"Old Mail", .hidden = true},
      {.title = u"Notes", .hidden = true}};
  const std::pair<stackle::Command, std::optional<std::size_t>> cases[] = {
      {{CommandVerb::kTop, u"Mail"}, 0},  // top of the stack first
      {{CommandVerb::kHide, u"Notes"}, 2},
      {{CommandVerb::kShow, u"Notes"}, 4},                // /show only among the hidden
      {{CommandVerb::kTop, u"Old"}, std::nullopt},        // every other verb never among them
      {{CommandVerb::kTop, u"(TopMost)"}, std::nullopt},  // a prefix is no part of the title
      {{CommandVerb::kTop, u":Mail"}, std::nullopt},
      {{CommandVerb::kFront, u"Mail \U0001F600"}, 1},
      {{CommandVerb::kFront, u"Mail \xD83D"}, std::nullopt},  // half a character
  };
  for (const auto& [command, entry] : cases)
    EXPECT_EQ(FindCommandTarget(listed, command), entry) << EncodeUtf8(command.text);
}

TEST(RemoteCommands, LeaveTheUserTheForegroundAndAnswerWhatTheyCouldNotDo) {
  HotkeyDesk desk;
  const WindowRef foreground = desk.windows.ForegroundWindow();
  // What each switch does is shown end to end; here, what only the desk can show.
  EXPECT_EQ(desk.Hand({CommandVerb::kHide, u"Mail"}), kExitDone);
  EXPECT_EQ(desk.windows.ForegroundWindow(), foreground);
  // Answered before the list is rebuilt to show it: the script goes on meanwhile.
  const Text pinned = u"(TopMost):Notes - Editor";
  bool pinned_at_answer = true;
  desk.dialog.commands.on_answer = [&] {
    pinned_at_answer = std::ranges::count(desk.Labels(), pinned) > 0;
  };
  EXPECT_EQ(desk.Hand({CommandVerb::kTop, u"Notes"}), kExitDone);
  desk.dialog.commands.on_answer = nullptr;
  EXPECT_FALSE(pinned_at_answer);
  EXPECT_EQ(std::ranges::count(desk.Labels(), pinned), 1);
  EXPECT_EQ(desk.windows.ForegroundWindow(), desk.editor) << "Stackle took the foreground";
  EXPECT_FALSE(desk.dialog.HasFocus());
  EXPECT_TRUE(desk.windows.IsTopMost(desk.dialog.Window()));
  const WindowRef admin = desk.windows.AddWindow(
      {.title = u"Admin", .process = desk.windows.AddProcess(true), .refuses = true});
  EXPECT_EQ(desk.Hand({CommandVerb::kTop, u"Admin"}), kExitRefused);
  EXPECT_EQ(desk.Hand({CommandVerb::kClose, u"Admin"}), kExitRefused);
  EXPECT_TRUE(desk.windows.Exists(admin));
  desk.dialog.commands.takes_output = false;  // an elevated command process, its filter lost
  EXPECT_EQ(desk.Hand({CommandVerb::kList, {}}), kExitOutputLost);
  // Another tag, or no data, is no command; nor a form the decoder refuses.
  const std::string bytes = EncodeCommand({CommandVerb::kClose, u"Admin"}, 0, 0);
  const auto size = static_cast<std::uint32_t>(bytes.size());
  for (const CopyData data : {CopyData{1, size, bytes.data()}, CopyData{kCommandTag, size, nullptr},
                              CopyData{kCommandTag, size - 2, bytes.data()}})
    EXPECT_EQ(desk.dialog.Send({kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data)}), 0);
  // Nor output for a window other than the sender, or than a command process's, nor a command
  // past its deadline, which its command process has reported as not taken.
  const std::uint64_t now = desk.dialog.commands.now;
  for (const auto& [reply_to, sender, deadline] : {std::tuple{desk.reply, desk.mail, now},
                                                   {desk.mail, desk.mail, now},
                                                   {desk.reply, desk.reply, now - 1}})
    EXPECT_EQ(desk.Send(EncodeCommand({CommandVerb::kHide, u"Notes"}, reply_to, deadline), sender),
              0);
  // Sent while Stackle shows a window again, and so answers what is sent to it: carried out
  // then, or, once Stackle is ending, refused, so that the command process finds the next copy.
  EXPECT_EQ(desk.Hand({CommandVerb::kHide, u"Notes"}), kExitDone);
  desk.windows.AddWindow({.title = u"Spare", .process = desk.mail_process});
  Text late = u"Spare";
  std::optional<std::intptr_t> nested;
  desk.windows.while_waiting = [&](WindowRef) {
    if (const Text title = std::exchange(late, {}); !title.empty())
      nested = desk.Deliver({CommandVerb::kHide, title});
  };
  EXPECT_EQ(desk.Hand({CommandVerb::kShowAll, {}}), kExitDone);
  EXPECT_EQ(nested, kCommandAnswered + kExitDone);
  EXPECT_TRUE(desk.windows.IsVisible(desk.editor)) << "the register changed under the restore";
  late = u"Mail";
  EXPECT_EQ(desk.Hand({CommandVerb::kExit, {}}), kExitDone);
  EXPECT_EQ(nested, 0);
  EXPECT_TRUE(desk.windows.IsVisible(desk.mail));
}

TEST(Hotkeys, ActOnTheActiveWindowOrTheSelectedOneAndTellWhatIsHeldElsewhere) {
  HotkeyDesk desk;
  EXPECT_EQ(desk.dialog.tray.balloons,
            std::vector<Text>{u"ホットキーを登録できません (他のプログラムが使用中)|"
                              u"Ctrl+Shift+F10 (一番奥に)"});
  EXPECT_EQ(desk.dialog.hotkeys.registered.size(), 5u) << "the others, but the one turned off";
  // To the bottom, its program at normal priority though something else left it at high.
  desk.windows.SetProcessPriority(desk.mail_process, PriorityClass::kHigh);
  desk.windows.BringToForeground(desk.mail);
  desk.PressHotkey(HotkeyAction::kSendToBottom);
  EXPECT_EQ(desk.windows.ZOrder().back(), desk.mail);
  EXPECT_EQ(desk.windows.PriorityOf(desk.mail_process), kNormal);
  // A window opened since the last rebuild of the list is acted on all the same.
  const WindowRef late = desk.windows.AddWindow({.title = u"Late", .process = desk.editor_process});
  desk.windows.BringToForeground(late);
  desk.PressHotkey(HotkeyAction::kToggleTopMost);
  EXPECT_TRUE(desk.windows.IsTopMost(late));
  desk.windows.BringToForeground(desk.mail);
  desk.PressHotkey(HotkeyAction::kToggleTopMost);
  EXPECT_TRUE(desk.windows.IsTopMost(desk.mail));
  EXPECT_FALSE(desk.dialog.HasFocus()) << "what each key does is shown end to end";
  // Mail, activated again, comes above another window kept on top, which is above Stackle.
  desk.windows.AddWindow({.title = u"Player", .process = desk.mail_process, .topmost = true});
  desk.windows.Place(desk.mail, InsertAfter::kTop, /*activate=*/true);
  desk.PressHotkey(HotkeyAction::kToggleTopMost);
  EXPECT_FALSE(desk.windows.IsTopMost(desk.mail));
  // Never on another of Stackle's windows, which its dialog waits for; but the hidden windows
  // come back.
  const WindowRef about = desk.windows.AddWindow(
      {.title = u"ﾊﾞｰｼﾞｮﾝ情報 Stackle", .process = desk.windows.OwnProcess()});
  EXPECT_EQ(desk.Hand({CommandVerb::kHide, u"Mail"}), kExitDone);
  desk.windows.BringToForeground(about);
  desk.PressHotkey(HotkeyAction::kHide);
  EXPECT_TRUE(desk.windows.IsVisible(about));
  desk.PressHotkey(HotkeyAction::kShowAllHidden);
  EXPECT_TRUE(desk.windows.IsVisible(desk.mail));
  EXPECT_EQ(desk.Hand({CommandVerb::kHide, u"Stackle"}), kExitNoWindow);
  desk.windows.DestroyWindow(about);
  // From Stackle's own dialog, the selected window; never the dialog itself.
  desk.windows.BringToForeground(desk.dialog.Window());
  desk.PressHotkey(HotkeyAction::kHide);
  EXPECT_TRUE(desk.windows.IsVisible(desk.dialog.Window()));
  desk.Select(desk.editor);
  desk.PressHotkey(HotkeyAction::kToggleTopMost);
  EXPECT_TRUE(desk.windows.IsTopMost(desk.editor));
  // Out of the notification area, in front, with a list rebuilt.
  desk.Command(IDM_HIDE_DIALOG);
  desk.windows.BringToForeground(desk.mail);
  desk.windows.Get(desk.editor).title = u"Notes (1) - Editor";
  desk.PressHotkey(HotkeyAction::kShowStackle);
  EXPECT_TRUE(desk.windows.IsVisible(desk.dialog.Window()));
  EXPECT_EQ(desk.windows.ForegroundWindow(), desk.dialog.Window());
  EXPECT_EQ(desk.Labels()[0], u"(TopMost):Notes (1) - Editor");
}

TEST(HotkeyDialog, KeepsWhatTheUserLeftAloneRefusesClashesAndShowsHeldKeys) {
  HotkeyDesk desk("[Hotkeys]\r\nHide=Win+H\r\nOops\r\n");
  const auto press_ok = [](sim::SimChildDialog& child, Hotkey top, Hotkey bottom) {
    child.hotkeys[IDC_HOTKEY_FIRST] = top;
    child.hotkeys[IDC_HOTKEY_FIRST + 1] = bottom;
    child.Press(kIdOk);
  };
  desk.dialog.while_child_open = [&](sim::SimChildDialog& child) {
    EXPECT_EQ(child.hotkeys[IDC_HOTKEY_FIRST + 2], (Hotkey{0, 'H'})) << "the Win key shown";
    EXPECT_EQ(child.items[IDC_HOTKEY_STATUS_FIRST + 2], u"Win+H");
    EXPECT_EQ(child.items[IDC_HOTKEY_PROBLEMS], u"stackle.ini: 不明な名前: Oops");
    EXPECT_TRUE(desk.dialog.hotkeys.registered.empty()) << "keys on while the controls want them";
    press_ok(child, {kCtrlShift, kF8}, {kCtrlShift, kF10});  // ShowAllHidden's key
    press_ok(child, {0, 0x74}, {kCtrlShift, kF10});          // F5 alone
    EXPECT_EQ(child.warnings.size(), 2u);
    EXPECT_EQ(desk.files.files[kIniFileName], "[Hotkeys]\r\nHide=Win+H\r\nOops\r\n");
    press_ok(child, {kModAlt, 'T'}, {kCtrlShift, kF10});
    EXPECT_TRUE(child.IsOpen()) << "closed on a key held elsewhere";
    EXPECT_EQ(child.items[IDC_HOTKEY_STATUS_FIRST + 1], u"他のプログラムが使用中");
    desk.files.failing[kIniFileName] = FileState::kUnreadable;  // a sync client holds it
    press_ok(child, {kModAlt, 'T'}, {});
    EXPECT_FALSE(child.IsOpen());
    EXPECT_EQ(child.warnings.size(), 3u) << "stackle.ini に書き込めません。";
  };
  desk.Command(IDM_TRAY_HOTKEYS);
  // Written at the last OK that could, and the keys kept for this run all the same, Win+H too.
  EXPECT_NE(desk.files.files[kIniFileName].find("SendToBottom=Ctrl+Shift+F10"), std::string::npos);
  EXPECT_EQ(desk.dialog.hotkeys.registered.size(), 6u);
  EXPECT_EQ(desk.dialog.hotkeys.registered[1], (Hotkey{kModAlt, 'T'}));
  EXPECT_EQ(desk.dialog.hotkeys.registered[3], (Hotkey{kModWin, 'H'}));
}

TEST(HotkeyFile, IsReadOnlyWholeAndNeverInUtf16) {
  const std::tuple<std::string, std::optional<FileState>, const char*> cases[] = {
      {"; held by another program", FileState::kUnreadable, "読み込めません"},
      {"; too large to read whole", FileState::kTooLarge, "大きすぎて"},
      {std::string("\xFF\xFE\x42\x30", 4), std::nullopt, "UTF-16"},
      {std::string("\xFE\xFF\x30\x42", 4), std::nullopt, "UTF-16"},
      {std::string("[\0H\0", 4), std::nullopt, "UTF-16"},  // without a mark
  };
  for (const auto& [content, fails, problem] : cases) {
    sim::SimFiles files;
    files.files[kIniFileName] = content;
    if (fails) files.failing[kIniFileName] = *fails;
    const IniText ini = ReadIniFile(files);
    EXPECT_FALSE(ini.content) << "would be written over";
    EXPECT_NE(ini.problem.find(problem), std::string::npos) << ini.problem;
  }
  sim::SimFiles none;
  EXPECT_EQ(ReadIniFile(none).content, "") << "missing: made new";
}

}  // namespace
}  // namespace stackle
