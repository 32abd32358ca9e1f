// End to end: rules in stackle.ini acting on a helper's windows as they appear, what the user
// does left as it is, and what rules did undone at exit, also by the copy after a kill.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace stackle::e2e {
namespace {

TEST(Rules, PinAReminderEachTimeItAppearsLeaveTheUsersChoiceAndUndoAtExitEvenAfterAKill) {
  TempDir dir;
  dir.Write("stackle.ini", "[Rules]\r\nTop=title:\"*Reminder*\"\r\n");
  // On top by itself before Stackle starts: a rule leaves it so, and so does the exit.
  Helper clock({{.title = L"Reminder clock"}});
  SetWindowPos(clock.windows[0], HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  auto stackle = std::make_unique<Stackle>(&dir);
  Helper mail({{.title = L"Reminder"}, {.title = L"Inbox"}});
  const HWND reminder = mail.windows[0], inbox = mail.windows[1];
  EXPECT_TRUE(WaitUntil([&] { return IsTopMost(reminder); })) << "pinned as it appears";
  SetWindowTextW(inbox, L"Reminder 2");
  EXPECT_TRUE(WaitUntil([&] { return IsTopMost(inbox); })) << "titled late, pinned then";

  EXPECT_EQ(RunCommand(dir.path, L"/notop \"Reminder 2\"").code, 0u);
  Sleep(600);  // the ticks that look at young windows come and go
  EXPECT_EQ(RunCommand(dir.path, L"/list").code, 0u);
  EXPECT_FALSE(IsTopMost(inbox)) << "the user's unpin is not overruled";
  // Hidden and shown again by its program. Wine announces neither: each rebuild sees it.
  ShowWindow(inbox, SW_HIDE);
  EXPECT_EQ(RunCommand(dir.path, L"/list").code, 0u);
  ShowWindow(inbox, SW_SHOWNOACTIVATE);
  EXPECT_EQ(RunCommand(dir.path, L"/list").code, 0u);
  EXPECT_TRUE(WaitUntil([&] { return IsTopMost(inbox); })) << "pinned again as it reappears";

  // Killed, the pins stay; the next copy, with no rule at all, undoes them at its exit.
  TerminateProcess(stackle->process.handle(), 1);
  stackle->process.WaitForExit();
  stackle.reset();
  dir.Write("stackle.ini", "");
  stackle = std::make_unique<Stackle>(&dir);
  EXPECT_TRUE(IsTopMost(reminder) && IsTopMost(inbox));
  stackle.reset();
  EXPECT_FALSE(IsTopMost(reminder) || IsTopMost(inbox)) << "a rule's pins are undone at exit";
  EXPECT_TRUE(IsTopMost(clock.windows[0])) << "a window on top by itself is left alone";
}

TEST(Rules, KeepAClassLeaveAWindowTheUserShowedAndAreWrittenByThePerWindowMenu) {
  TempDir dir;
  dir.Write("stackle.ini", "[Rules]\r\nPriority=high title:Busy\r\nHide=title:Chat\r\nPin=x\r\n");
  Stackle stackle(&dir);
  Helper helper({{.title = L"Chat"}, {.title = L"Busy"}});
  const HWND chat = helper.windows[0], busy = helper.windows[1];
  EXPECT_TRUE(WaitUntil([&] { return helper.Priority() == HIGH_PRIORITY_CLASS; }));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(chat); })) << "hidden as it appears";
  EXPECT_EQ(RunCommand(dir.path, L"/list").code, 0u);
  EXPECT_EQ(helper.Priority(), DWORD(HIGH_PRIORITY_CLASS)) << "the rule's class outlasts a rebuild";
  // Shown again from the icon's window menu, where its "(Hide):" entry is the last.
  ASSERT_TRUE(
      stackle.Choose(stackle.OpenMenu(WM_TRAYNOTIFY, 0, WM_LBUTTONDOWN), {VK_UP, VK_RETURN}));
  EXPECT_TRUE(IsWindowVisible(chat));
  EXPECT_EQ(RunCommand(dir.path, L"/list").code, 0u);
  EXPECT_TRUE(IsWindowVisible(chat)) << "what the user showed is not hidden again";

  const Result rules = RunCommand(dir.path, L"/rules");
  EXPECT_EQ(rules.code, 0u);
  EXPECT_NE(rules.output.find("Priority=high title:Busy\t有効 (適用 1 回、拒否 0 回)"),
            std::string::npos)
      << rules.output;
  EXPECT_NE(rules.output.find("無効: 不明な操作: Pin=x"), std::string::npos) << rules.output;
  EXPECT_EQ(RunCommand(dir.path, L"/reload").code, 2u) << "a line not understood";

  // このプログラムを常に手前に: the program's rule written, its windows pinned; taken out again.
  ASSERT_TRUE(stackle.Choose(stackle.OpenWindowMenu(busy), {'A'}));
  EXPECT_NE(dir.Read("stackle.ini").find("\r\nTop=exe:stackle_e2e.exe\r\n"), std::string::npos);
  EXPECT_TRUE(WaitUntil([&] { return IsTopMost(busy); }));
  ASSERT_TRUE(stackle.Choose(stackle.OpenWindowMenu(busy), {'A'}));
  EXPECT_EQ(dir.Read("stackle.ini").find("Top=exe:"), std::string::npos);
  EXPECT_FALSE(IsTopMost(busy)) << "its pin goes with the rule";
  EXPECT_EQ(RunCommand(dir.path, L"/exit").code, 0u);
  EXPECT_TRUE(stackle.process.WaitForExit());
  EXPECT_EQ(helper.Priority(), DWORD(NORMAL_PRIORITY_CLASS)) << "the rule's class undone at exit";
}

}  // namespace
}  // namespace stackle::e2e
