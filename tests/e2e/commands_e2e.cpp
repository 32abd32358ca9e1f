// End to end: Stackle's commands — buttons, keys, the per-window menu, the icon and its menus,
// the system menu — on real windows (a hung one too), on itself, across a kill; help and About.
#include <gtest/gtest.h>

#include <memory>

#include "e2e_support.h"

namespace stackle::e2e {
namespace {

TEST(Commands, ButtonsAndTheirKeysMoveTheSelectedWindowAndStackleStaysAbove) {
  Helper helper({{.title = L"Alpha"}, {.title = L"Beta"}});
  const HWND alpha = helper.windows[0], beta = helper.windows[1];
  Stackle stackle;
  const HWND dialog = stackle.dialog, list = stackle.list;
  // A key press or an Alt+letter, posted to the list, where the dialog manager sees it.
  const auto post = [&](UINT message, WPARAM key) {
    return [=] { PostMessageW(list, message, key, message == WM_SYSCHAR ? 1 << 29 : 1); };
  };
  const std::vector<std::tuple<const char*, HWND, std::function<void()>, std::function<bool()>>>
      steps = {
          {"always on top", alpha, [&] { stackle.Click(IDC_ALWAYS_ON_TOP); },
           [&] { return IsTopMost(alpha); }},
          {"Alt+U", alpha, post(WM_SYSCHAR, 'u'), [&] { return !IsTopMost(alpha); }},
          {"Enter", beta, post(WM_KEYDOWN, VK_RETURN), [&] { return Above(beta, alpha); }},
          {"Escape", alpha, post(WM_KEYDOWN, VK_ESCAPE), [&] { return Above(alpha, beta); }},
          {"Alt+B", alpha, post(WM_SYSCHAR, 'b'), [&] { return !GetWindow(alpha, GW_HWNDNEXT); }},
      };
  for (const auto& [name, selected, act, done] : steps) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(stackle.Select(selected));
    act();
    // The command ends with a refresh that clears the selection: the next step selects after it.
    ASSERT_TRUE(stackle.Settle());
    EXPECT_TRUE(WaitUntil(done));
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(dialog) && Above(dialog, selected); }))
        << "Stackle stays above";
  }
  EXPECT_TRUE(IsWindowVisible(dialog)) << "Enter and Escape leave the dialog open";
}

TEST(Commands, ThePerWindowMenuActsOnTheEntryUnderTheMouse) {
  Helper helper(
      {{.title = L"Mail"}, {.title = L"Unsaved", .class_name = L"StackleE2eAsking", .asks = true}});
  const HWND mail = helper.windows[0], asking = helper.windows[1];
  Stackle stackle;
  ASSERT_TRUE(stackle.Choose(stackle.OpenWindowMenu(mail), {'X'}));  // 最大化
  EXPECT_TRUE(WaitUntil([&] { return IsZoomed(mail); }));

  ASSERT_TRUE(stackle.Choose(stackle.OpenWindowMenu(mail), {'H'}));  // 優先度 高
  EXPECT_TRUE(WaitUntil([&] { return helper.Priority() == HIGH_PRIORITY_CLASS; }));

  ASSERT_TRUE(stackle.Choose(stackle.OpenWindowMenu(mail), {'C'}));  // 閉じる
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(mail) && IsTopMost(stackle.dialog); }));

  // A program asked to close asks its user, who does not answer: Stackle still ends at once.
  ASSERT_TRUE(stackle.Choose(stackle.OpenWindowMenu(asking), {'C'}));
  PostMessageW(stackle.dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(stackle.process.WaitForExit()) << "Stackle waits for the program's user";
  EXPECT_TRUE(IsWindowVisible(asking));
}

TEST(Commands, CommandsOnAHungProgramsWindowLeaveStackleAnsweringAndOnTop) {
  Helper helper({{.title = L"Stopped responding"}});
  const HWND hung = helper.windows[0];
  Stackle stackle;
  // Stopped just now: Windows calls it hung only after five seconds; Stackle waits for it no more.
  helper.Hang();
  ASSERT_TRUE(WaitUntil([&] { return !Send(hung, WM_NULL, 0, 0, 100); }));
  // 最小化 from the per-window menu, hiding with the button, 閉じる from the menu.
  for (const char key : std::string_view("NHC")) {
    SCOPED_TRACE(key);
    // Each command ends with a refresh, which puts a listed window's program back to normal.
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS));
    ASSERT_TRUE(key == 'H' ? stackle.Select(hung) && stackle.Click(IDC_SHOW_HIDE)
                           : stackle.Choose(stackle.OpenWindowMenu(hung), {UINT(key)}));
    EXPECT_TRUE(WaitUntil([&] {
      return helper.Priority() == NORMAL_PRIORITY_CLASS && IsTopMost(stackle.dialog) &&
             Send(stackle.dialog, WM_NULL);
    }));
    // Still there, and not hidden: hidden later, when it recovers, it would escape the list.
    // (The minimize asked while it hung comes once it has recovered, after H.)
    const std::wstring label = key == 'C' ? L"(Icon):Stopped responding" : L"Stopped responding";
    EXPECT_EQ(stackle.List(&helper), (std::vector<Entry>{{label, hung}}));
    EXPECT_TRUE(IsWindowVisible(hung));
    if (key != 'H') continue;
    // Nothing left waiting for it to recover: once it has caught up, it is still in view.
    helper.Resume();
    EXPECT_TRUE(WaitUntil([&] { return !IsHungAppWindow(hung) && Send(hung, WM_NULL); }));
    EXPECT_TRUE(IsWindowVisible(hung)) << "hidden late, out of the list";
    helper.Hang();
    ASSERT_TRUE(WaitUntil([&] { return IsHungAppWindow(hung); }));
  }
}

TEST(Commands, AHiddenWindowStaysListedAndComesBackWhenStackleEndsEvenAfterAKill) {
  for (const bool killed : {false, true}) {
    SCOPED_TRACE(killed ? "killed, then started and closed" : "closed");
    Helper helper({{.title = L"Mail"}, {.title = L"Editor"}});
    const HWND mail = helper.windows[0];
    const std::vector<Entry> listed = {{L"Editor", helper.windows[1]}, {L"(Hide):Mail", mail}};
    TempDir dir;
    {
      Stackle stackle(&dir);
      // Chosen in the icon's window menu, which holds the list's entries.
      std::vector<UINT> keys(stackle.IndexOf(mail) + 1, VK_DOWN);
      keys.push_back(VK_RETURN);
      ASSERT_TRUE(stackle.Choose(stackle.OpenMenu(WM_TRAYNOTIFY, 0, WM_LBUTTONDOWN), keys));
      EXPECT_FALSE(IsWindowVisible(mail));
      EXPECT_EQ(stackle.List(&helper), listed);
      EXPECT_EQ(helper.Priority(), IDLE_PRIORITY_CLASS);
      if (killed) {
        TerminateProcess(stackle.process.handle(), 1);
      } else {
        // Closed while it waits to show Mail of a busy program, it takes commands no more.
        helper.Hang();
        PostMessageW(stackle.dialog, WM_CLOSE, 0, 0);
        EXPECT_TRUE(
            WaitUntil([&] { return !GetPropW(stackle.dialog, win32::kCommandWindowProperty); }));
        helper.Resume();
      }
    }
    if (killed) {
      EXPECT_FALSE(IsWindowVisible(mail)) << "killed: nothing showed it";
      Stackle stackle(&dir);
      EXPECT_EQ(stackle.List(&helper), listed) << "the next run takes it over";
    }
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(mail); }));
    EXPECT_EQ(helper.Priority(), NORMAL_PRIORITY_CLASS);
  }
}

TEST(ShellE2e, TheIconHidesAndRestoresTheDialogAndComesBackWithANewTaskbar) {
  Stackle stackle;
  const HWND dialog = stackle.dialog;
  // The shell holds the icon when modifying it succeeds.
  const auto icon = [&](DWORD command) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = dialog;
    return Shell_NotifyIconW(command, &data) != FALSE;
  };
  ASSERT_TRUE(WaitUntil([&] { return icon(NIM_MODIFY); })) << "no icon after start";
  // A new task bar, and one announced while the shell still holds the icon: Stackle has an icon.
  for (const bool lost : {true, false}) {
    ASSERT_TRUE(!lost || icon(NIM_DELETE));
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(stackle.Settle() && WaitUntil([&] { return icon(NIM_MODIFY); })) << "none back";
  }

  // M, the minimize box, hides it; from the tool menu R (元のサイズに戻す) shows and N hides it.
  for (const char key : std::string_view("MRNR")) {
    SCOPED_TRACE(key);
    ASSERT_TRUE(key == 'M' ? PostMessageW(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0) != FALSE
                           : stackle.Choose(stackle.OpenMenu(WM_TRAYNOTIFY, 0, WM_RBUTTONDOWN),
                                            {UINT(key)}));
    EXPECT_TRUE(WaitUntil([&] {
      return IsWindowVisible(dialog) == (key == 'R') && (key == 'M' || !IsIconic(dialog));
    }));
  }
}

TEST(ShellE2e, TheSystemAndIconMenusOpenHelpAndAboutWhoseIntervalIsKeptAtExit) {
  // A help file beside the program, which no viewer on current Windows can open.
  const auto help_file = std::filesystem::path(stackle_path).parent_path() / "stackle.hlp";
  std::ofstream(help_file) << "?_\x03";
  const std::shared_ptr<void> remove(nullptr, [&](void*) { std::filesystem::remove(help_file); });
  for (const bool icon : {false, true}) {
    SCOPED_TRACE(icon ? "the icon's menu, then its 終了" : "the system menu, then Exit");
    TempDir dir;
    Stackle stackle(&dir);
    const auto dismiss = [&](HWND box) { return Dismiss(box, IDOK) && stackle.Settle(); };
    const auto menu = [&] {
      return icon ? stackle.OpenMenu(WM_TRAYNOTIFY, 0, WM_RBUTTONDOWN)
                  : stackle.OpenMenu(WM_SYSCOMMAND, SC_KEYMENU, L' ');
    };
    ASSERT_TRUE(stackle.Choose(menu(), {'H'}));
    ASSERT_TRUE(dismiss(stackle.Wait(kDialogClass, L"Stackle"))) << "no help";

    // Wine's own system menu has an "About Wine" item on A; About is next to last.
    ASSERT_TRUE(stackle.Choose(
        menu(), icon ? std::vector<UINT>{'A'} : std::vector<UINT>{VK_UP, VK_UP, VK_RETURN}));
    const HWND about = stackle.Wait(kDialogClass, kAboutCaption);
    ASSERT_TRUE(about) << "no About dialog";
    const auto submit = [&](const wchar_t* interval) {
      Send(GetDlgItem(about, IDC_ABOUT_INTERVAL), WM_SETTEXT, 0, LPARAM(interval));
      PostMessageW(about, WM_COMMAND, IDOK, 0);
    };
    submit(L"5001");
    ASSERT_TRUE(dismiss(stackle.Wait(kDialogClass, L"Stackle"))) << "no warning";
    // The longest through the icon, so that no followed window cuts the next menu short.
    submit(icon ? L"5000" : L"1000");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    icon ? stackle.Choose(menu(), {'X'}) : stackle.Click(IDC_EXIT);
    ASSERT_TRUE(stackle.process.WaitForExit()) << "Stackle still runs";
    EXPECT_EQ(dir.Read("stackle.dat").substr(16), icon ? "1388\r\n" : "03E8\r\n");
  }
}

}  // namespace
}  // namespace stackle::e2e
