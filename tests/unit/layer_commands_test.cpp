#include <gtest/gtest.h>

#include "catalogue/text.h"
#include "sim_desk.h"
#include "ui/window_menu.h"

namespace stackle {
namespace {

// The simulated desk with Stackle running on it.
struct RunningDesk : SimDesk {
  RunningDesk() { Open(); }

  // No other program's window lies above Stackle's, and it is always on top.
  bool StackleOnTop() {
    for (WindowRef w : windows.ZOrder()) {
      if (w == dialog.Window()) return windows.IsTopMost(w);
      if (windows.ProcessOf(w) != windows.OwnProcess()) return false;
    }
    return false;
  }
  // Everything a user could notice.
  auto Snapshot() {
    std::vector<sim::SimWindow> z_order;
    for (WindowRef w : windows.ZOrder())
      z_order.push_back(windows.Get(w));
    return std::tuple(dialog.Caption(), z_order, Labels(), windows.PriorityOf(editor_process),
                      windows.PriorityOf(mail_process));
  }
};

TEST(LayerCommands, MoveTheSelectedWindowAndKeepStackleOnTop) {
  enum Before { kAsOpened, kPinned, kMinimizedFromMaximized };
  struct Case {
    const char* what;
    Message command;
    Before mail_before;
    std::vector<Text> labels_after;
    std::uint32_t mail_priority;
  };
  const Message double_click = CommandMessage(IDC_WINDOW_LIST, kLbnDblClk);
  // clang-format off
  const Case cases[] = {
      {"bring to front", CommandMessage(IDC_BRING_TO_FRONT), kAsOpened, {u"Inbox - Mail", u"Notes - Editor"}, kNormal},
      {"always on top", CommandMessage(IDC_ALWAYS_ON_TOP), kAsOpened, {u"(TopMost):Inbox - Mail", u"Notes - Editor"}, kHigh},
      {"not always on top", CommandMessage(IDC_NOT_ALWAYS_ON_TOP), kPinned, {u"Inbox - Mail", u"Notes - Editor"}, kNormal},
      {"not always on top, already so", CommandMessage(IDC_NOT_ALWAYS_ON_TOP), kAsOpened, {u"Notes - Editor", u"Inbox - Mail"}, kNormal},
      // Its program at normal first: at the bottom it is no longer listed, so no refresh sets it.
      {"send to bottom", CommandMessage(IDC_SEND_TO_BOTTOM), kAsOpened, {u"Notes - Editor", u"Desktop"}, kNormal},
      {"double click minimizes", double_click, kAsOpened, {u"Notes - Editor", u"(Icon):Inbox - Mail"}, kNormal},
      {"double click restores, to the normal size", double_click, kMinimizedFromMaximized, {u"Notes - Editor", u"Inbox - Mail"}, kNormal},
  };
  // clang-format on
  for (const Case& c : cases) {
    RunningDesk d;
    if (c.mail_before == kPinned) d.windows.Place(d.mail, InsertAfter::kTopMost, false);
    auto& mail = d.windows.Get(d.mail);
    mail.minimized = mail.maximized = c.mail_before == kMinimizedFromMaximized;
    d.windows.Place(d.dialog.Window(), InsertAfter::kTopMost, false);
    d.Command(IDC_REFRESH);
    d.windows.ForcePriority(d.mail_process, kIdle);
    d.windows.Place(d.dialog.Window(), InsertAfter::kNoTopMost, false);  // some program did
    d.Select(d.mail);
    EXPECT_EQ(d.dialog.Caption(), d.Labels()[d.IndexOf(d.mail).value_or(0)])
        << "the caption follows";
    d.dialog.LoseFocus();
    d.dialog.Send(c.command);
    EXPECT_EQ(d.Labels(), c.labels_after) << c.what;
    EXPECT_FALSE(mail.maximized) << c.what;
    // The short form of the ending does not put Stackle back on top.
    EXPECT_EQ(d.StackleOnTop(), c.command.wparam != IDC_SEND_TO_BOTTOM) << c.what;
    EXPECT_EQ(d.dialog.Caption(), u"Stackle") << c.what;
    EXPECT_EQ(d.dialog.list.Selection(), std::nullopt) << c.what;
    EXPECT_TRUE(d.dialog.HasFocus()) << c.what;
    EXPECT_TRUE(d.dialog.list.redraws) << c.what;
    EXPECT_EQ(d.windows.PriorityOf(d.mail_process), c.mail_priority) << c.what;
  }
}

TEST(LayerCommands, DoNothingAtAllWithoutASelectionOrWithoutTheirData) {
  // clang-format off
  const Message messages[] = {
      CommandMessage(IDC_BRING_TO_FRONT), CommandMessage(IDC_ALWAYS_ON_TOP),
      CommandMessage(IDC_NOT_ALWAYS_ON_TOP), CommandMessage(IDC_SEND_TO_BOTTOM),
      CommandMessage(IDC_SHOW_HIDE), CommandMessage(IDC_WINDOW_LIST, kLbnDblClk),
      CommandMessage(IDC_WINDOW_LIST, kLbnSelChange), CommandMessage(IDM_WINDOW_RESTORE),
      CommandMessage(IDM_WINDOW_MINIMIZE), CommandMessage(IDM_WINDOW_MAXIMIZE),
      CommandMessage(IDM_WINDOW_CLOSE), CommandMessage(IDM_PRIORITY_HIGH),
      CommandMessage(IDM_PRIORITY_IDLE), CommandMessage(IDM_PRIORITY_REALTIME),
      {kWmCopyData, 0, 0}, {kWmGetMinMaxInfo, 0, 0},
  };
  // clang-format on
  for (const Message& m : messages) {
    RunningDesk d;
    d.dialog.SetCaption(u"Something");
    d.windows.ForcePriority(d.mail_process, kIdle);
    d.dialog.LoseFocus();
    const auto before = d.Snapshot();
    d.dialog.Send(m);
    EXPECT_EQ(d.Snapshot(), before) << LowWord(m.wparam) << "/" << HighWord(m.wparam);
    EXPECT_FALSE(d.dialog.HasFocus());
    EXPECT_TRUE(d.dialog.IsOpen());
  }
}

TEST(LayerCommands, LeaveAWindowThatRefusesAsItIsAndSayWhy) {
  const Message messages[] = {
      CommandMessage(IDC_BRING_TO_FRONT),          CommandMessage(IDC_ALWAYS_ON_TOP),
      CommandMessage(IDC_SEND_TO_BOTTOM),          CommandMessage(IDC_SHOW_HIDE),
      CommandMessage(IDC_WINDOW_LIST, kLbnDblClk), CommandMessage(IDM_WINDOW_MAXIMIZE),
  };
  for (const Message& m : messages) {
    RunningDesk d;  // the mail program runs as administrator
    d.windows.Get(d.mail).refuses = true;
    d.Select(d.mail);
    const std::vector<WindowRef> z_order = d.windows.OthersWindows();
    d.dialog.Send(m);
    const auto& mail = d.windows.Get(d.mail);
    EXPECT_TRUE(mail.visible && !mail.minimized && !mail.maximized && !mail.topmost)
        << LowWord(m.wparam);
    EXPECT_EQ(d.windows.OthersWindows(), z_order) << LowWord(m.wparam);
    EXPECT_TRUE(d.operations.Hidden().Entries().empty()) << "a hide that did not happen";
    EXPECT_EQ(d.dialog.Caption(), kRefusedNotice) << LowWord(m.wparam);
    EXPECT_TRUE(d.StackleOnTop());
  }
}

TEST(LayerCommands, ShowWhatABusyProgramDoesOnceItGetsToIt) {
  RunningDesk d;
  d.windows.Get(d.mail).busy = true;
  d.Select(d.mail);
  d.Command(IDC_ALWAYS_ON_TOP);
  EXPECT_EQ(d.Labels().back(), u"Inbox - Mail") << "its program has not got to it yet";
  EXPECT_NE(d.dialog.Caption(), kRefusedNotice);
  d.windows.CatchUp();
  ASSERT_TRUE(d.dialog.timers.contains(kLookAgainTimer));
  d.dialog.Send({kWmTimer, kLookAgainTimer, 0});
  EXPECT_FALSE(d.dialog.timers.contains(kLookAgainTimer)) << "once";
  EXPECT_EQ(d.Labels().front(), u"(TopMost):Inbox - Mail");
}

TEST(HiddenWindows, StayReachableAndComeBackAtExit) {
  RunningDesk d;
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  d.ExpectMailHidden(true);
  EXPECT_EQ(d.Labels(), (std::vector<Text>{u"Notes - Editor", u"(Hide):Inbox - Mail"}));

  // The title changes while hidden: the entry keeps the old one.
  d.windows.Get(d.mail).title = u"Inbox (3) - Mail";
  d.Command(IDC_REFRESH);
  EXPECT_EQ(d.Labels().back(), u"(Hide):Inbox - Mail");

  // Shown again through its entry: back at its place, without the prefix.
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  d.ExpectMailHidden(false);
  EXPECT_EQ(d.Labels(), (std::vector<Text>{u"Notes - Editor", u"Inbox (3) - Mail"}));

  // Hidden again, then shown by its own program and hidden once more through the stale entry
  // before any refresh: two entries, and at exit it is shown (twice) at normal priority.
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  d.windows.Show(d.mail, ShowCommand::kShow);
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  EXPECT_EQ(d.operations.Hidden().Entries().size(), 2u);
  const WindowRef editor = d.editor;
  d.Select(editor);
  d.Command(IDC_SHOW_HIDE);
  d.windows.DestroyWindow(editor);  // gone while hidden: listed until exit, then skipped
  d.Command(IDC_REFRESH);
  const std::vector<Text> hidden = {u"(Hide):Inbox (3) - Mail", u"(Hide):Inbox (3) - Mail",
                                    u"(Hide):Notes - Editor"};
  EXPECT_EQ(d.Labels(), hidden);
  // Chosen in the tray's window menu, the window gone has nothing to show: nothing changes.
  d.operations.ToggleListedWindow(2);
  EXPECT_EQ(d.Labels(), hidden);
  EXPECT_EQ(d.dialog.Caption(), u"Stackle") << "not a refusal";
  // Shown when the session ends (the model and the real program check the close), not before.
  d.dialog.Send({kWmEndSession, 0, 0});  // log-off cancelled: nothing happens
  d.ExpectMailHidden(true);
  d.dialog.Send({kWmEndSession, 1, 0});
  d.ExpectMailHidden(false);
}

TEST(HiddenWindows, TheTrayToggleRegistersEvenWhatItShows) {
  RunningDesk d;
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  d.Command(IDC_SHOW_HIDE);  // nothing selected any more: nothing happens
  ASSERT_EQ(d.Labels().back(), u"(Hide):Inbox - Mail");

  d.operations.ToggleListedWindow(1);  // the "(Hide):" entry: shown, registered, pruned at once
  d.ExpectMailHidden(false);
  EXPECT_TRUE(d.operations.Hidden().Entries().empty());
}

TEST(HiddenWindows, LeaveTheShellsPriorityAlone) {
  RunningDesk d;
  const ProcessId shell = d.windows.AddProcess();
  const WindowRef folder = d.windows.AddWindow(
      {.title = u"Documents", .class_name = kFolderWindowClass, .process = shell});
  d.Command(IDC_REFRESH);
  d.Select(folder);
  d.Command(IDC_SHOW_HIDE);
  EXPECT_EQ(d.windows.PriorityOf(shell), kNormal) << "the task bar is not put at idle";
  d.windows.ForcePriority(shell, kHigh);  // as the user or another program left it
  d.Command(IDC_REFRESH);
  d.dialog.Send({kWmClose, 0, 0});
  EXPECT_TRUE(d.windows.IsVisible(folder));
  EXPECT_EQ(d.windows.PriorityOf(shell), kHigh);
}

TEST(WindowMenu, OffersOnlyWhatWouldChangeSomething) {
  struct Case {
    const char* what;
    WindowMenuState state;
    std::vector<int> ids;  // 0 is a separator
  };
  // clang-format off
  const Case cases[] = {
      {"normal window, normal priority", {false, false, false, kNormal},
       {IDM_WINDOW_MINIMIZE, IDM_WINDOW_MAXIMIZE, 0, IDM_PRIORITY_REALTIME, IDM_PRIORITY_HIGH, IDM_PRIORITY_IDLE, 0, IDM_WINDOW_CLOSE}},
      {"minimized, high", {true, false, false, kHigh},
       {IDM_WINDOW_RESTORE, IDM_WINDOW_MAXIMIZE, 0, IDM_PRIORITY_REALTIME, IDM_PRIORITY_NORMAL, IDM_PRIORITY_IDLE, 0, IDM_WINDOW_CLOSE}},
      {"maximized, idle", {false, true, false, kIdle},
       {IDM_WINDOW_RESTORE, IDM_WINDOW_MINIMIZE, 0, IDM_PRIORITY_REALTIME, IDM_PRIORITY_HIGH, IDM_PRIORITY_NORMAL, 0, IDM_WINDOW_CLOSE}},
      {"realtime", {false, false, false, kRealtime},
       {IDM_WINDOW_MINIMIZE, IDM_WINDOW_MAXIMIZE, 0, IDM_PRIORITY_HIGH, IDM_PRIORITY_NORMAL, IDM_PRIORITY_IDLE, 0, IDM_WINDOW_CLOSE}},
      {"below normal, or unreadable", {false, false, false, 0x4000},
       {IDM_WINDOW_MINIMIZE, IDM_WINDOW_MAXIMIZE, 0, IDM_PRIORITY_REALTIME, IDM_PRIORITY_HIGH, IDM_PRIORITY_NORMAL, IDM_PRIORITY_IDLE, 0, IDM_WINDOW_CLOSE}},
      {"folder window", {true, false, true, kNormal}, {IDM_WINDOW_RESTORE, IDM_WINDOW_MAXIMIZE, 0, IDM_WINDOW_CLOSE}},
  };
  // clang-format on
  // Their texts and mnemonics are the real program's to show.
  for (const Case& c : cases)
    EXPECT_EQ(MenuIds(BuildWindowMenu(c.state)), c.ids) << c.what;
}

TEST(WindowMenu, OpensForTheEntryUnderTheCursorAndActsOnItsWindow) {
  RunningDesk d;
  d.dialog.Send({kWmContextMenu, d.dialog.Window(), 0});  // the dialog's background
  EXPECT_TRUE(d.dialog.menus_shown.empty());

  d.RightClickRow(5);  // below the last entry: the last one
  ASSERT_EQ(d.dialog.menus_shown.size(), 1u);
  EXPECT_EQ(d.dialog.list.Selection(), 1u);
  EXPECT_EQ(d.dialog.Caption(), u"Stackle") << "a right click does not change the caption";
  EXPECT_EQ(d.dialog.menus_shown[0].second, (Point{40, 80}));
  EXPECT_EQ(d.windows.ForegroundWindow(), d.dialog.Window());

  d.RightClick(d.mail, IDM_PRIORITY_IDLE);
  EXPECT_EQ(d.windows.PriorityOf(d.mail_process), kIdle);
  EXPECT_EQ(d.dialog.list.Selection(), 1u) << "priority commands do not refresh";
  d.RightClick(d.mail, IDM_WINDOW_MINIMIZE);
  EXPECT_TRUE(d.windows.IsMinimized(d.mail));
  EXPECT_EQ(d.windows.PriorityOf(d.mail_process), kNormal) << "the refresh re-applies the policy";
  d.RightClick(d.mail, IDM_WINDOW_RESTORE);
  EXPECT_FALSE(d.windows.IsMinimized(d.mail));

  // Closing: Stackle leaves the always-on-top band for exactly the time of the request, also
  // when a script closes another window meanwhile, and a program that asks its user, or does
  // not answer, leaves its window listed.
  const WindowRef spare = d.windows.AddWindow({.title = u"Spare", .process = d.mail_process});
  bool topmost_during_close = true;
  d.windows.while_waiting = [&](WindowRef asking) {
    if (asking == d.mail) d.operations.CloseWindow(spare, Origin::kScript);
    topmost_during_close = d.windows.IsTopMost(d.dialog.Window());
  };
  d.windows.Get(d.mail).closes = false;
  d.RightClick(d.mail, IDM_WINDOW_CLOSE);
  EXPECT_FALSE(topmost_during_close);
  EXPECT_TRUE(d.StackleOnTop());
  EXPECT_EQ(d.Labels().size(), 2u);
  d.windows.Get(d.mail).closes = true;
  d.RightClick(d.mail, IDM_WINDOW_CLOSE);
  EXPECT_FALSE(d.windows.Exists(d.mail));
  EXPECT_EQ(d.Labels(), std::vector<Text>{u"Notes - Editor"});

  // The shell's windows stand for no program: not refused, no priorities.
  d.windows.shell_window = d.bottom;  // the editor's process runs the shell
  d.RightClick(d.editor, std::nullopt);
  EXPECT_EQ(MenuIds(d.dialog.menus_shown.back().first),
            (std::vector<int>{IDM_WINDOW_MINIMIZE, IDM_WINDOW_MAXIMIZE, 0, IDM_WINDOW_CLOSE}));
  EXPECT_TRUE(d.operations.MayChangeProgram(d.editor)) << "so /close is not refused either";

  // A process that refuses to be opened: selected, but no menu; nor without a cursor.
  const std::size_t menus = d.dialog.menus_shown.size();
  const ProcessId guarded = d.windows.AddProcess(/*refuses_open=*/true);
  const WindowRef task_manager =
      d.windows.AddWindow({.title = u"Task Manager", .process = guarded});
  d.Command(IDC_REFRESH);
  d.RightClick(task_manager, IDM_WINDOW_CLOSE);
  EXPECT_EQ(d.dialog.list.Selection(), 0u);
  EXPECT_EQ(d.dialog.Caption(), kRefusedNotice) << "a right click explains";
  d.windows.cursor.reset();
  d.dialog.Send({kWmContextMenu, d.dialog.list.Control(), 0});
  EXPECT_EQ(d.dialog.menus_shown.size(), menus);
  EXPECT_TRUE(d.windows.Exists(task_manager));
}

}  // namespace
}  // namespace stackle
