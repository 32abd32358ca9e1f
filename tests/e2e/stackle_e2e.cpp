// End to end: the real stackle.exe, started as a user starts it, checked from outside through
// its dialog, the windows it lists and the files it keeps. stackle_e2e --stackle=PATH [flags]

#include <gtest/gtest.h>

#include <cstdio>
#include <ranges>

#include "e2e_support.h"

namespace stackle::e2e {
namespace {

// `helper`'s windows in the current Z-order, window i labelled `label(i)` or left out if empty.
std::vector<Entry> InZOrder(const Helper& helper, std::function<std::wstring(std::size_t)> label) {
  std::vector<Entry> expected;
  for (HWND window : ZOrder()) {
    const auto at = std::ranges::find(helper.windows, window) - helper.windows.begin();
    if (helper.Owns(window) && !label(at).empty()) expected.emplace_back(label(at), window);
  }
  return expected;
}

TEST(StackleE2e, ListsVisibleTitledWindowsLabelledWithTheirState) {
  const std::vector<std::pair<TestWindow, std::wstring>> cases = {
      {{.title = L"A folder", .class_name = L"CabinetWClass"}, L"(Folda):A folder"},
      {{.title = L"Not shown", .hidden = true}, L""},
      {{.title = L""}, L""},
      {{.title = L"日本語のウィンドウ"}, L"日本語のウィンドウ"},
      {{.title = L"Beyond \U0001F600\U00020BB7"}, L"Beyond \U0001F600\U00020BB7"},
  };
  const auto requests = cases | std::views::keys;
  Helper helper({requests.begin(), requests.end()});
  Stackle stackle;
  EXPECT_EQ(stackle.List(&helper),
            InZOrder(helper, [&](std::size_t i) { return cases[i].second; }));
}

TEST(StackleE2e, ASecondCopyEndsAtOnceAndTheFirstRunsOn) {
  TempDir dir;
  Stackle first(&dir);
  Process second(stackle_path, L"", dir.path.c_str());
  bool second_showed_a_dialog = false;
  EXPECT_TRUE(WaitUntil([&] {
    second_showed_a_dialog |= FindWindowOf(second.id(), kDialogClass) != nullptr;
    return !second.Running();
  }));
  EXPECT_FALSE(second_showed_a_dialog);
  EXPECT_TRUE(Send(first.dialog, WM_NULL)) << "the first copy does not answer";
}

// `text` in the ANSI code page; nothing when the code page cannot write it.
std::optional<std::string> Ansi(std::wstring_view text) {
  BOOL lossy = FALSE;
  std::string bytes(text.size() * 2, '\0');
  bytes.resize(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()),
                                   bytes.data(), int(bytes.size()), nullptr, &lossy));
  return lossy ? std::nullopt : std::optional(bytes);
}

TEST(StackleE2e, NolistTxtIsReadInTheAnsiCodePageOrAsUtf8AfterAByteOrderMark) {
  const std::vector<std::wstring> titles = {L"日本語のメモ", L"表示の設定",       L"日本の地図",
                                            L"Café menu",    L"Smile \U0001F600", L"English memo"};
  const auto western = Ansi(L"Café\r\n");
  // The file's bytes (none when the code page cannot write them) and the titles they leave out.
  const std::vector<std::tuple<const char*, std::optional<std::string>, std::vector<std::wstring>>>
      cases = {
          {"Japanese in the ANSI code page", Ansi(L"日本語\r\n表示\r\n"), {titles[0], titles[1]}},
          {"Western in the ANSI code page",
           western && western->size() == 6 ? western : std::nullopt,
           {titles[3]}},
          {"UTF-8 after a byte-order mark",
           "\xEF\xBB\xBF日本語\r\n\U0001F600\r\nCafé\r\n",
           {titles[0], titles[3], titles[4]}},
          // As Notepad writes it since Windows 10: valid UTF-8 is read as UTF-8.
          {"UTF-8 without the mark", "日本語\r\nCafé\r\n", {titles[0], titles[3]}},
      };
  const auto requests = titles | std::views::transform([](auto& t) { return TestWindow{t}; });
  Helper helper({requests.begin(), requests.end()});
  for (const auto& [name, nolist, excluded] : cases) {
    SCOPED_TRACE(name);
    if (!nolist) {
      std::printf("skipped under code page %u: %s\n", GetACP(), name);
      continue;
    }
    TempDir dir;
    dir.Write("nolist.txt", *nolist);
    Stackle stackle(&dir);
    EXPECT_EQ(stackle.List(&helper), InZOrder(helper, [&](std::size_t i) {
                return std::ranges::count(excluded, titles[i]) ? L"" : titles[i];
              }));
  }
}

// Left, top, right, bottom in the client area of `in`, or on the screen.
std::vector<LONG> WindowRect(HWND window, HWND in = nullptr) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, in, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

TEST(Settings, TheFileRestoresTheDialogWhereItWasClosed) {
  TempDir dir;
  {
    Stackle stackle(&dir);  // first run: no file
    SetWindowPos(stackle.dialog, nullptr, 30, 40, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const std::string written = dir.Read("stackle.dat");
  EXPECT_EQ(written, "0028001E015401AE0000\r\n") << "top, left, bottom, right, 0 ms";
  {
    Stackle stackle(&dir);
    EXPECT_EQ(WindowRect(stackle.dialog), (std::vector<LONG>{30, 40, 430, 340}));
  }
  EXPECT_EQ(dir.Read("stackle.dat"), written);

  dir.Write("stackle.dat", "00320064014A01A401F4\r\n");
  Stackle stackle(&dir);
  EXPECT_EQ(WindowRect(stackle.dialog), (std::vector<LONG>{100, 50, 420, 330}));
}

TEST(Settings, ResizingLaysTheControlsOutAndNeverShrinksBelowTheFirstSize) {
  Stackle stackle;
  const HWND dialog = stackle.dialog;
  const auto resize = [&](LONG width, LONG height) {
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return stackle.Settle();
  };
  const auto first = WindowRect(dialog);
  ASSERT_TRUE(resize(first[2] - first[0] + 230, first[3] - first[1] + 170));
  EXPECT_EQ(GetPriorityClass(stackle.process.handle()), DWORD(HIGH_PRIORITY_CLASS));
  RECT client{};
  GetClientRect(dialog, &client);
  const auto refresh = WindowRect(stackle.Control(IDC_REFRESH), dialog);
  const auto exit = WindowRect(stackle.Control(IDC_EXIT), dialog);
  EXPECT_EQ(WindowRect(stackle.list, dialog), (std::vector<LONG>{0, 0, refresh[0], client.bottom}));
  EXPECT_EQ((std::vector<LONG>{refresh[1], refresh[2], exit[2], exit[3]}),
            (std::vector<LONG>{0, client.right, client.right, client.bottom}));
  ASSERT_TRUE(resize(10, 10));
  EXPECT_EQ(WindowRect(dialog), first);
}

TEST(Settings, MouseFollowBringsForwardTheWindowWhoseControlIsUnderTheCursor) {
  TempDir dir;
  // Stackle out of the way at 640, 400, following the mouse every 500 ms.
  dir.Write("stackle.dat", "019002800276039C01F4\r\n");
  Helper helper({{.title = L"Target", .control = true}});
  Stackle stackle(&dir);
  ASSERT_NE(GetForegroundWindow(), helper.windows[0]);
  const auto control = WindowRect(FindWindowExW(helper.windows[0], nullptr, L"BUTTON", nullptr));
  SetCursorPos((control[0] + control[2]) / 2, (control[1] + control[3]) / 2);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == helper.windows[0]; }));
}

// Names the case that hangs, rather than leaving the whole run to the driver's time limit.
// Every control of `dialog` lies inside it, and every text fits its control whole, measured
// in the dialogs' font at the screen's scale (another process's font handle is not ours).
void ExpectEverythingFits(HWND dialog) {
  RECT client{};
  GetClientRect(dialog, &client);
  const HDC dc = GetDC(dialog);
  const HFONT font = CreateFontW(-MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                                 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"ＭＳ Ｐゴシック");
  const HGDIOBJ old = SelectObject(dc, font);
  for (HWND control = GetWindow(dialog, GW_CHILD); control;
       control = GetWindow(control, GW_HWNDNEXT)) {
    if (!IsWindowVisible(control)) continue;
    wchar_t text[128] = {}, name[32] = {};
    GetWindowTextW(control, text, 128);
    GetClassNameW(control, name, 32);
    SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
    const std::vector<LONG> place = WindowRect(control, dialog);
    EXPECT_TRUE(place[0] >= 0 && place[1] >= 0 && place[2] <= client.right &&
                place[3] <= client.bottom)
        << testing::PrintToString(place) << " in " << client.right << "x" << client.bottom;
    const bool button = std::wstring_view(name) == L"Button";
    if (!*text || (!button && std::wstring_view(name) != L"Static")) continue;
    // The text as the control draws it: on one line in a button, wrapped in a label.
    RECT inner{}, needed{};
    GetClientRect(control, &inner);
    needed.right = inner.right - (button ? 2 * GetSystemMetrics(SM_CXEDGE) : 0);
    DrawTextW(dc, text, -1, &needed, DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK));
    EXPECT_LE(needed.right, inner.right) << "cut at the side";
    EXPECT_LE(needed.bottom, inner.bottom) << "cut at the bottom";
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(dialog, dc);
}

// Run once more by scripts/test at 150% (144 DPI).
TEST(Looks, EveryControlOfEveryDialogFitsAndShowsItsTextWhole) {
  Stackle stackle;
  ExpectEverythingFits(stackle.dialog);
  // The system menu's last two items: the hotkeys, then About.
  for (const auto& [up, caption] : {std::pair{1, L"ホットキーの設定"}, {2, kAboutCaption}}) {
    std::vector<UINT> keys(up, VK_UP);
    keys.push_back(VK_RETURN);
    ASSERT_TRUE(stackle.Choose(stackle.OpenMenu(WM_SYSCOMMAND, SC_KEYMENU, L' '), keys));
    const HWND dialog = stackle.Wait(kDialogClass, caption);
    ASSERT_TRUE(dialog) << "no dialog " << up;
    ExpectEverythingFits(dialog);
    EXPECT_TRUE(Dismiss(dialog, IDCANCEL));
  }
}

std::atomic<const testing::TestInfo*> running = nullptr;
const HANDLE started = CreateEventW(nullptr, FALSE, FALSE, nullptr);
struct RecordRunning : testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& test) override {
    running = &test;
    SetEvent(started);
  }
};

}  // namespace
}  // namespace stackle::e2e

int wmain(int argc, wchar_t** argv) {
  using namespace stackle::e2e;
  // The other process whose priority class the adapter tests change.
  if (std::wstring_view(argv[argc - 1]) == L"--child") return Sleep(60'000), 0;
  testing::InitGoogleTest(&argc, argv);
  // Sizes as Stackle, which is aware of the screen's scale, sees them.
  SetProcessDPIAware();
  if (argc != 2 || !std::wstring_view(argv[1]).starts_with(L"--stackle=")) {
    std::fprintf(stderr, "usage: stackle_e2e --stackle=PATH [gtest flags]\n");
    return 2;
  }
  // Under Wine the build passes a Unix path; its full path form works.
  stackle_path = std::filesystem::absolute(argv[1] + 10);
  testing::UnitTest::GetInstance()->listeners().Append(new RecordRunning);
  std::thread([] {
    while (WaitForSingleObject(started, 120'000) == WAIT_OBJECT_0) {
    }
    std::fprintf(stderr, "e2e: %s.%s hung for two minutes\n", running.load()->test_suite_name(),
                 running.load()->name());
    TerminateProcess(GetCurrentProcess(), 3);
  }).detach();
  return RUN_ALL_TESTS();
}
