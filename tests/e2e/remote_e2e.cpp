// End to end: the hotkeys, pressed as the user presses them, and stackle.exe started with a
// command, as a script starts it, its exit code and output read from a pipe.

#include <gtest/gtest.h>

#include "e2e_support.h"
// After <windows.h>, which it needs.
#include <commctrl.h>

namespace stackle::e2e {
namespace {

TEST(Hotkeys, ActOnTheActiveWindowReportAKeyHeldElsewhereAndChangeForTheNextStart) {
  // This harness holds the default key for "send to bottom" before Stackle starts.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, VK_F10));
  const std::shared_ptr<void> release(nullptr, [](void*) { UnregisterHotKey(nullptr, 1); });
  Helper helper({{.title = L"Lower"}, {.title = L"Upper"}});
  const HWND lower = helper.windows[0], upper = helper.windows[1];
  TempDir dir;
  dir.Write("stackle.ini", "[Hotkeys]\r\nHide=F13\r\n");  // a key no keyboard types stands alone
  auto stackle = std::make_unique<Stackle>(&dir);
  // With Upper active, unless hidden. Wine can drop a session's first key press: the key goes
  // again when Stackle has handled all it was sent (a hotkey comes before the next message)
  // and nothing happened, so that no press is ever handled twice.
  const auto press = [&](const std::vector<WORD>& keys, const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 3 && !done(); ++attempt) {
      WaitUntil([&] {
        return !IsWindowVisible(upper) || GetForegroundWindow() == upper ||
               (SetForegroundWindow(upper), false);
      });
      Press(keys);
      stackle->Settle();
    }
    return done();
  };
  EXPECT_TRUE(press({VK_CONTROL, VK_SHIFT, VK_F11}, [&] { return IsTopMost(upper); }));
  EXPECT_TRUE(press({VK_CONTROL, VK_SHIFT, VK_F11}, [&] { return !IsTopMost(upper); }));
  EXPECT_TRUE(press({VK_F13}, [&] { return !IsWindowVisible(upper); }));
  // With About open, the hidden windows come back, and Stackle comes forward with About.
  ASSERT_TRUE(stackle->Choose(stackle->OpenMenu(WM_TRAYNOTIFY, 0, WM_RBUTTONDOWN), {'A'}));
  const HWND about = stackle->Wait(kDialogClass, kAboutCaption);
  ASSERT_TRUE(about) << "no About dialog";
  EXPECT_TRUE(press({VK_CONTROL, VK_SHIFT, VK_F8}, [&] { return IsWindowVisible(upper); }));
  EXPECT_TRUE(press({VK_CONTROL, VK_SHIFT, VK_F7}, [&] { return GetForegroundWindow() == about; }));
  ASSERT_TRUE(Dismiss(about, IDCANCEL));

  // The held key is reported at its control; another key for it is kept in stackle.ini.
  ASSERT_TRUE(stackle->Choose(stackle->OpenMenu(WM_TRAYNOTIFY, 0, WM_RBUTTONDOWN), {'K'}));
  const HWND settings = stackle->Wait(kDialogClass, L"ホットキーの設定");
  ASSERT_TRUE(settings) << "no hotkey dialog";
  wchar_t status[64] = {};
  GetDlgItemTextW(settings, IDC_HOTKEY_STATUS_FIRST + 1, status, 64);  // the second: 一番奥に
  EXPECT_STREQ(status, L"他のプログラムが使用中");
  Send(GetDlgItem(settings, IDC_HOTKEY_FIRST + 1), HKM_SETHOTKEY,
       MAKEWORD(VK_F2, HOTKEYF_ALT | HOTKEYF_SHIFT));
  ASSERT_TRUE(Dismiss(settings, IDOK));
  EXPECT_NE(dir.Read("stackle.ini").find("SendToBottom=Alt+Shift+F2\r\n"), std::string::npos);

  stackle.reset();
  stackle = std::make_unique<Stackle>(&dir);
  EXPECT_TRUE(press({VK_MENU, VK_SHIFT, VK_F2}, [&] { return Above(lower, upper); }));
}

TEST(CommandLine, EachSwitchStartsStackleWhenNoneRunsAndActsThroughIt) {
  Helper helper({{.title = L"Gamma 日本語のメモ"}, {.title = L"Delta"}});
  const HWND gamma = helper.windows[0], delta = helper.windows[1];
  TempDir dir;
  const Result list = RunCommand(dir.path, L"/list");
  EXPECT_EQ(list.code, 4u);
  EXPECT_EQ(list.output, "") << "what a redirected output holds";
  EXPECT_EQ(list.error, "Stackle は起動していません\r\n");
  // Each from a fresh start, then handed to the copy it started, which /exit ends.
  const std::tuple<const wchar_t*, DWORD, std::function<bool()>> cases[] = {
      {L"/exit", 0, [] { return true; }},
      {L"/top 日本語", 0, [&] { return IsTopMost(gamma); }},
      {L"-NOTOP 日本語", 0, [&] { return !IsTopMost(gamma); }},
      {L"/front Delta", 0, [&] { return Above(delta, gamma); }},
      {L"/hide \"Gamma 日本\"", 0, [&] { return !IsWindowVisible(gamma); }},
      {L"/show Gamma", 1, [&] { return IsWindowVisible(gamma); }},  // shown again at exit
      {L"/close Gamma", 0, [&] { return !IsWindow(gamma); }},
      {L"/bottom Delta", 0, [&] { return ZOrder().back() == delta; }},
  };
  for (const auto& [arguments, code, effect] : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
    EXPECT_EQ(RunCommand(dir.path, arguments).code, code);
    EXPECT_TRUE(WaitUntil(effect));
    EXPECT_EQ(RunCommand(dir.path, L"/exit").code, 0u);
  }
  // Given in the system folder, where an elevated prompt or a scheduled task without "Start in"
  // runs it, the command starts a copy that keeps its files beside stackle.exe.
  TempDir bin;
  std::filesystem::copy_file(stackle_path, bin.path / "stackle.exe");
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(RunCommand(system, L"/showall", bin.path / "stackle.exe").code, 0u);
  EXPECT_EQ(RunCommand(dir.path, L"/exit").code, 0u);
  EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(bin.path / "stackle.dat"); }));
  EXPECT_FALSE(std::filesystem::remove(std::filesystem::path(system) / "stackle.dat"));
}

TEST(CommandLine, SaysWhatItCouldNotDo) {
  Helper helper({{.title = L"Alpha 日本語のメモ"}, {.title = L"Beta"}});
  TempDir dir;
  Stackle stackle(&dir);
  // The output, and why a command failed, on standard error.
  const std::tuple<std::wstring, DWORD, std::string, std::string> cases[] = {
      {L"/hide 日本語", 0, "", ""},
      {L"/list", 0, "Beta\r\n(Hide):Alpha 日本語のメモ\r\n", ""},
      {L"/show Beta", 1, "", "該当するウインドウがありません: Beta\r\n"},
      {L"/top " + std::wstring(32767 - 64 - stackle_path.size(), L'x'), 1, "", "該当する"},
      {L"/frobnicate", 2, "", "不明なスイッチです: /frobnicate"},
      {L"/?", 0, "使い方: stackle", ""},
  };
  for (const auto& [arguments, code, output, error] : cases) {
    SCOPED_TRACE(testing::PrintToString(arguments.substr(0, 40)));
    const Result result = RunCommand(dir.path, arguments);
    EXPECT_EQ(result.code, code);
    EXPECT_TRUE(result.output.starts_with(output)) << testing::PrintToString(result.output);
    EXPECT_TRUE(result.error.starts_with(error)) << testing::PrintToString(result.error);
  }
  EXPECT_EQ(RunCommand(dir.path, L"/exit").code, 0u);
  EXPECT_TRUE(stackle.process.WaitForExit()) << "Stackle still runs";

  // A copy that takes commands but does not answer.
  Helper hung({{.title = L"Stuck"}});
  SetPropW(hung.windows[0], win32::kCommandWindowProperty, HANDLE(1));
  hung.Hang();
  EXPECT_EQ(RunCommand(dir.path, L"/list").code, 4u);
}

}  // namespace
}  // namespace stackle::e2e

namespace stackle::e2e {
namespace {

// The window's alpha while it is layered; 255 for an opaque window.
int AlphaOf(HWND window) {
  BYTE alpha = 255;
  if (!(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
  return GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr) ? alpha : -1;
}

TEST(Opacity, StepsByMenuHotkeyAndCommandAndIsUndoneAtExitAlsoAfterAKill) {
  Helper helper({{.title = L"Glass"}});
  const HWND glass = helper.windows[0];
  TempDir dir;
  auto stackle = std::make_unique<Stackle>(&dir);
  // 不透明度 > 50%: the steps run from 100% down.
  ASSERT_TRUE(stackle->Choose(stackle->OpenWindowMenu(glass),
                              {'O', VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
  EXPECT_EQ(AlphaOf(glass), 128);
  wchar_t caption[64] = {};
  GetWindowTextW(stackle->dialog, caption, 64);
  EXPECT_STREQ(caption, L"Glass  不透明度 50%");
  // Ctrl+Shift+F6 on the active window: a step up.
  for (int attempt = 0; attempt < 3 && AlphaOf(glass) == 128; ++attempt) {
    WaitUntil(
        [&] { return GetForegroundWindow() == glass || (SetForegroundWindow(glass), false); });
    Press({VK_CONTROL, VK_SHIFT, VK_F6});
    stackle->Settle();
  }
  EXPECT_EQ(AlphaOf(glass), 153);
  EXPECT_EQ(RunCommand(dir.path, L"/opacity 30 Glass").code, 0u);
  EXPECT_EQ(AlphaOf(glass), 77);
  for (const wchar_t* bad :
       {L"/opacity 10 Glass", L"/opacity 101 Glass", L"/opacity x Glass", L"/opacity Glass"}) {
    EXPECT_EQ(RunCommand(dir.path, bad).code, 2u) << bad;
  }
  EXPECT_EQ(RunCommand(dir.path, L"/opaque").code, 0u);
  EXPECT_FALSE(GetWindowLongPtrW(glass, GWL_EXSTYLE) & WS_EX_LAYERED) << "as it was";

  // Killed, it stays translucent; the next copy puts it back at its exit.
  EXPECT_EQ(RunCommand(dir.path, L"/opacity 40 Glass").code, 0u);
  TerminateProcess(stackle->process.handle(), 1);
  stackle->process.WaitForExit();
  stackle = std::make_unique<Stackle>(&dir);
  EXPECT_EQ(AlphaOf(glass), 102);
  EXPECT_EQ(RunCommand(dir.path, L"/exit").code, 0u);
  EXPECT_TRUE(stackle->process.WaitForExit());
  EXPECT_FALSE(GetWindowLongPtrW(glass, GWL_EXSTYLE) & WS_EX_LAYERED) << "put back at exit";
}

}  // namespace
}  // namespace stackle::e2e
