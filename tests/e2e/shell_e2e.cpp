// End to end: Stackle in the shell — its notification-area icon and the icon's two menus, the
// system menu, help and the About dialog.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "res/resource.h"

namespace stackle::e2e {
namespace {

TEST(ShellE2e, TheIconsWindowMenuHidesTheChosenWindowAndShowsItAgain) {
  Helper helper({{.title = L"Tray pick one"}, {.title = L"Tray pick two"}, {.title = L"Three"}});
  const HWND target = helper.windows()[1];
  TempDir dir;
  Stackle stackle(dir);
  const auto choose_target = [&] {
    const HWND menu = stackle.OpenMenu(kTrayCallback, 0, WM_LBUTTONDOWN);
    // The menu holds the entries of the list, rebuilt as it opened.
    std::vector<UINT> keys(stackle.IndexOf(target).value_or(-1) + 1, VK_DOWN);
    keys.push_back(VK_RETURN);
    return keys.size() > 1 && stackle.Choose(menu, keys);
  };
  ASSERT_TRUE(choose_target());
  EXPECT_FALSE(IsWindowVisible(target));
  EXPECT_TRUE(IsWindowVisible(helper.windows()[0]) && IsWindowVisible(helper.windows()[2]));
  EXPECT_EQ(HelpersPriority(), IDLE_PRIORITY_CLASS);
  EXPECT_EQ(stackle.Labels(helper).back(), L"(Hide):Tray pick two");

  ASSERT_TRUE(choose_target());
  EXPECT_TRUE(IsWindowVisible(target));
  EXPECT_EQ(HelpersPriority(), NORMAL_PRIORITY_CLASS);
}

TEST(ShellE2e, TheIconHidesAndRestoresTheDialogAndComesBackWithANewTaskbar) {
  TempDir dir;
  Stackle stackle(dir);
  const HWND dialog = stackle.dialog();
  const auto announce_taskbar = [] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                        SMTO_ABORTIFHUNG, static_cast<UINT>(kTimeout.count()), &ignored);
  };
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(dialog); })) << "no icon after start";
  ASSERT_TRUE(DeleteTrayIcon(dialog));
  announce_taskbar();
  EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(dialog); })) << "the icon is not back";
  // Announced while the icon is there, it stays, and Stackle still counts on it.
  announce_taskbar();

  const auto tool_menu = [&](UINT key) {
    return stackle.Choose(stackle.OpenMenu(kTrayCallback, 0, WM_RBUTTONDOWN), {key});
  };
  const auto hidden = [&] { return WaitUntil([&] { return !IsWindowVisible(dialog); }); };
  const auto shown = [&] {
    return WaitUntil([&] { return IsWindowVisible(dialog) && !IsIconic(dialog); });
  };
  PostMessageW(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(hidden()) << "minimized into the icon";
  ASSERT_TRUE(tool_menu('R'));  // 元のサイズに戻す
  EXPECT_TRUE(shown());
  ASSERT_TRUE(tool_menu('N'));  // 最小化
  EXPECT_TRUE(hidden());
  EXPECT_FALSE(IsIconic(dialog));
  ASSERT_TRUE(tool_menu('R'));
  EXPECT_TRUE(shown());
}

TEST(ShellE2e, TheSystemAndIconMenusOpenHelpAndAboutWhoseIntervalIsKeptAtExit) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    std::function<void(Stackle&)> exit;
    std::vector<UINT> about;  // Wine's own system menu has an "About Wine" item on A
    const wchar_t* interval;
    const char* saved;
  };
  const std::vector<Case> cases = {
      {"the system menu, then Exit",
       WM_SYSCOMMAND,
       SC_KEYMENU,
       L' ',
       [](Stackle& stackle) { stackle.Click(IDC_EXIT); },
       {VK_UP, VK_RETURN},
       L"1000",
       "03E8\r\n"},
      // The longest interval: the menu that follows is not cut short by a followed window.
      {"the icon's menu, then its 終了",
       kTrayCallback,
       0,
       WM_RBUTTONDOWN,
       [](Stackle& stackle) {
         stackle.Choose(stackle.OpenMenu(kTrayCallback, 0, WM_RBUTTONDOWN), {'X'});
       },
       {'A'},
       L"5000",
       "1388\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    Stackle stackle(dir);
    const auto dismiss = [&](HWND box) {
      return box && PostMessageW(box, WM_COMMAND, IDOK, 0) &&
             WaitUntil([&] { return !IsWindow(box); }) && stackle.Settle();
    };
    ASSERT_TRUE(stackle.Choose(stackle.OpenMenu(c.message, c.wparam, c.lparam), {'H'}));
    const HWND help = stackle.WaitForDialog(L"Stackle");
    ASSERT_TRUE(help) << "no help";
    EXPECT_TRUE(TextOf(GetDlgItem(help, 0xFFFF)).starts_with(L"Stackle はウインドウの重なり順"));
    ASSERT_TRUE(dismiss(help));

    ASSERT_TRUE(stackle.Choose(stackle.OpenMenu(c.message, c.wparam, c.lparam), c.about));
    const HWND about = stackle.WaitForDialog(L"ﾊﾞｰｼﾞｮﾝ情報 Stackle");
    ASSERT_TRUE(about) << "no About dialog";
    const auto submit = [&](const wchar_t* interval) {
      stackle.Send(GetDlgItem(about, IDC_ABOUT_INTERVAL), WM_SETTEXT, 0, LPARAM(interval));
      PostMessageW(about, WM_COMMAND, IDOK, 0);
    };
    submit(L"5001");
    ASSERT_TRUE(dismiss(stackle.WaitForDialog(L"Stackle"))) << "no message";
    EXPECT_TRUE(stackle.Dialogs(L"Stackle").empty()) << "more than one message";
    EXPECT_TRUE(IsWindowVisible(about)) << "5001 closed About";
    submit(c.interval);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    c.exit(stackle);
    ASSERT_TRUE(stackle.process().WaitForExit()) << "Stackle still runs";
    EXPECT_EQ(dir.Read("stackle.dat").substr(16), c.saved);
  }
}

}  // namespace
}  // namespace stackle::e2e
