// End to end: the hotkeys, pressed as the user presses them, and stackle.exe started with a
// command, as a script starts it, its exit code and output read from a pipe.

#include <gtest/gtest.h>

#include "e2e_support.h"
// After <windows.h>, which it needs.
#include <commctrl.h>

namespace stackle::e2e {
namespace {

struct Result {
  DWORD code = ~0u;
  std::wstring output;
};

// stackle.exe `arguments` in `dir`, its output read from a pipe as UTF-8.
Result RunCommand(const TempDir& dir, const std::wstring& arguments) {
  const Finished finished = RunToEnd(stackle_path, arguments, dir.path.c_str());
  const std::string& bytes = finished.output;
  Result result{finished.code, std::wstring(bytes.size(), L'\0')};
  result.output.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()),
                                           result.output.data(), int(result.output.size())));
  return result;
}

TEST(Hotkeys, ActOnTheActiveWindowReportAKeyHeldElsewhereAndChangeForTheNextStart) {
  // This harness holds the default key for "send to bottom" before Stackle starts.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, VK_F10));
  const std::shared_ptr<void> release(nullptr, [](void*) { UnregisterHotKey(nullptr, 1); });
  Helper helper({{.title = L"Lower"}, {.title = L"Upper"}});
  const HWND lower = helper.windows[0], upper = helper.windows[1];
  TempDir dir;
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
  EXPECT_TRUE(press({VK_CONTROL, VK_SHIFT, VK_F9}, [&] { return !IsWindowVisible(upper); }));
  EXPECT_TRUE(press({VK_CONTROL, VK_SHIFT, VK_F8}, [&] { return IsWindowVisible(upper); }));

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
  const Result list = RunCommand(dir, L"/list");
  EXPECT_EQ(list.code, 4u);
  EXPECT_EQ(list.output, L"Stackle は起動していません\r\n");
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
    EXPECT_EQ(RunCommand(dir, arguments).code, code);
    EXPECT_TRUE(WaitUntil(effect));
    EXPECT_EQ(RunCommand(dir, L"/exit").code, 0u);
  }
}

TEST(CommandLine, SaysWhatItCouldNotDo) {
  Helper helper({{.title = L"Alpha 日本語のメモ"}, {.title = L"Beta"}});
  TempDir dir;
  Stackle stackle(&dir);
  const std::tuple<std::wstring, DWORD, std::wstring> cases[] = {
      {L"/hide 日本語", 0, L""},
      {L"/list", 0, L"Beta\r\n(Hide):Alpha 日本語のメモ\r\n"},
      {L"/show Beta", 1, L"該当するウインドウがありません: Beta\r\n"},
      {L"/top " + std::wstring(32767 - 64 - stackle_path.size(), L'x'), 1, L"該当する"},
      {L"/frobnicate", 2, L"不明なスイッチです: /frobnicate"},
      {L"/?", 0, L"使い方: stackle"},
  };
  for (const auto& [arguments, code, output] : cases) {
    SCOPED_TRACE(testing::PrintToString(arguments.substr(0, 40)));
    const Result result = RunCommand(dir, arguments);
    EXPECT_EQ(result.code, code);
    EXPECT_TRUE(result.output.starts_with(output)) << testing::PrintToString(result.output);
  }
  EXPECT_EQ(RunCommand(dir, L"/exit").code, 0u);
  EXPECT_TRUE(stackle.process.WaitForExit()) << "Stackle still runs";

  // A copy that takes commands but does not answer.
  Helper hung({{.title = L"Stuck"}});
  SetPropW(hung.windows[0], win32::kCommandWindowProperty, HANDLE(1));
  hung.Hang();
  EXPECT_EQ(RunCommand(dir, L"/list").code, 4u);
}

}  // namespace
}  // namespace stackle::e2e
