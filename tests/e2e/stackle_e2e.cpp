// End to end: the real stackle.exe, started the way a user starts it, checked from outside
// through its dialog, the windows it lists and the files it keeps.
//
//   stackle_e2e --stackle=PATH\stackle.exe [gtest flags]

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "e2e_support.h"
#include "res/resource.h"

namespace stackle::e2e {
namespace {

std::vector<ListEntry> EntriesOf(const Helper& helper, const std::vector<ListEntry>& list) {
  std::vector<ListEntry> entries;
  std::ranges::copy_if(list, std::back_inserter(entries),
                       [&](const ListEntry& entry) { return helper.Owns(entry.window); });
  return entries;
}

// `labels[i]` for the helper's window i, in the current Z-order; an empty label: unlisted.
std::vector<ListEntry> InZOrder(const Helper& helper, const std::vector<std::wstring>& labels) {
  std::vector<ListEntry> expected;
  for (HWND window : ZOrder()) {
    const auto at = std::ranges::find(helper.windows(), window) - helper.windows().begin();
    if (at < std::ssize(labels) && !labels[at].empty()) expected.push_back({labels[at], window});
  }
  return expected;
}

TEST(StackleE2e, ListsVisibleTitledWindowsLabelledWithTheirState) {
  const std::vector<std::pair<TestWindow, std::wstring>> cases = {
      {{.title = L"Plain"}, L"Plain"},
      {{.title = L"A folder", .class_name = L"CabinetWClass"}, L"(Folda):A folder"},
      {{.title = L"Put away", .minimized = true}, L"(Icon):Put away"},
      {{.title = L"Always on top", .topmost = true}, L"(TopMost):Always on top"},
      {{.title = L"Not shown", .hidden = true}, L""},
      {{.title = L""}, L""},
      {{.title = L"日本語のウィンドウ"}, L"日本語のウィンドウ"},
      {{.title = L"Beyond \U0001F600\U00020BB7"}, L"Beyond \U0001F600\U00020BB7"},
  };
  std::vector<TestWindow> requests;
  std::vector<std::wstring> labels;
  for (const auto& [window, label] : cases) {
    requests.push_back(window);
    labels.push_back(label);
  }
  Helper helper(requests);
  TempDir dir;
  Stackle stackle(dir);
  EXPECT_EQ(EntriesOf(helper, stackle.List()), InZOrder(helper, labels));
}

TEST(StackleE2e, ASecondCopyEndsAtOnceAndTheFirstRunsOn) {
  TempDir dir;
  Stackle first(dir);
  Process second(StacklePath(), dir.path());
  bool second_showed_a_dialog = false;
  EXPECT_TRUE(WaitUntil([&] {
    second_showed_a_dialog |= !WindowsOf(second.id(), L"#32770").empty();
    return !second.Running();
  }));
  EXPECT_FALSE(second_showed_a_dialog);
  EXPECT_TRUE(first.Send(first.dialog(), WM_NULL)) << "the first copy does not answer";
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
  struct Case {
    const char* name;
    std::optional<std::string> nolist;  // nothing: the code page cannot write it
    std::vector<std::wstring> excluded;
  };
  const auto western = Ansi(L"Café\r\n");
  const std::vector<Case> cases = {
      {"Japanese in the ANSI code page", Ansi(L"日本語\r\n表示\r\n"), {titles[0], titles[1]}},
      {"Western in the ANSI code page",
       western && western->size() == 6 ? western : std::nullopt,
       {titles[3]}},
      {"UTF-8 after a byte-order mark",
       "\xEF\xBB\xBF日本語\r\n\U0001F600\r\nCafé\r\n",
       {titles[0], titles[3], titles[4]}},
      // Without the mark the bytes are read in the ANSI code page, where they spell other text.
      {"UTF-8 without the mark", "Café\r\n", {}},
  };
  std::vector<TestWindow> requests;
  for (const std::wstring& title : titles)
    requests.push_back({.title = title});
  Helper helper(requests);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.nolist) {
      std::printf("skipped under code page %u: %s\n", GetACP(), c.name);
      continue;
    }
    TempDir dir;
    dir.Write("nolist.txt", *c.nolist);
    Stackle stackle(dir);
    std::vector<std::wstring> labels;
    for (const std::wstring& title : titles) {
      labels.push_back(std::ranges::count(c.excluded, title) ? L"" : title);
    }
    EXPECT_EQ(EntriesOf(helper, stackle.List()), InZOrder(helper, labels));
  }
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

TEST(Settings, TheFileRestoresTheDialogWhereItWasClosed) {
  TempDir dir;
  {
    Stackle stackle(dir);  // first run: no file
    SetWindowPos(stackle.dialog(), nullptr, 30, 40, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const std::string written = dir.Read("stackle.dat");
  EXPECT_EQ(written, "0028001E015401AE0000\r\n") << "top, left, bottom, right, 0 ms";
  {
    Stackle stackle(dir);
    const RECT r = WindowRect(stackle.dialog());
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
              (std::vector<LONG>{30, 40, 430, 340}));
  }
  EXPECT_EQ(dir.Read("stackle.dat"), written);

  dir.Write("stackle.dat", "00320064014A01A401F4\r\n");
  Stackle stackle(dir);
  const RECT r = WindowRect(stackle.dialog());
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
            (std::vector<LONG>{100, 50, 320, 280}));
}

TEST(Settings, ResizingLaysTheControlsOutAndNeverShrinksBelowTheFirstSize) {
  TempDir dir;
  Stackle stackle(dir);
  const HWND dialog = stackle.dialog();
  const RECT first = WindowRect(dialog);
  const auto resize = [&](LONG width, LONG height) {
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return stackle.Settle();
  };
  const auto in_client = [&](int id) {
    RECT rect = WindowRect(stackle.Control(id));
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom};
  };
  ASSERT_TRUE(resize(first.right - first.left + 230, first.bottom - first.top + 170));
  RECT client{};
  GetClientRect(dialog, &client);
  const auto refresh = in_client(IDC_REFRESH);
  EXPECT_EQ(in_client(IDC_WINDOW_LIST), (std::vector<LONG>{0, 0, refresh[0], client.bottom}));
  EXPECT_EQ(refresh[1], 0);
  EXPECT_EQ(refresh[2], client.right);
  EXPECT_EQ(in_client(IDC_EXIT)[2], client.right);
  EXPECT_EQ(in_client(IDC_EXIT)[3], client.bottom);

  ASSERT_TRUE(resize(10, 10));
  const RECT shrunk = WindowRect(dialog);
  EXPECT_EQ(shrunk.right - shrunk.left, first.right - first.left);
  EXPECT_EQ(shrunk.bottom - shrunk.top, first.bottom - first.top);
}

TEST(Settings, MouseFollowBringsForwardTheWindowWhoseControlIsUnderTheCursor) {
  TempDir dir;
  // Stackle out of the way at 640, 400, following the mouse every 500 ms.
  dir.Write("stackle.dat", "019002800276039C01F4\r\n");
  Helper helper({{.title = L"Target", .control = true}});
  const HWND target = helper.windows()[0];
  Stackle stackle(dir);
  ASSERT_NE(GetForegroundWindow(), target);
  const RECT control = WindowRect(FindWindowExW(target, nullptr, L"BUTTON", nullptr));
  SetCursorPos((control.left + control.right) / 2, (control.top + control.bottom) / 2);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target; }));
}

// Names the case that hangs, rather than leaving the whole run to the driver's time limit.
struct Running {
  std::mutex mutex;
  std::string name;
  std::chrono::steady_clock::time_point since;
};
// Never destroyed: the watch goes on until the process ends.
Running& running = *new Running;

struct RecordRunning : testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& test) override {
    std::lock_guard lock(running.mutex);
    running.name = std::string(test.test_suite_name()) + "." + test.name();
    running.since = std::chrono::steady_clock::now();
  }
};

void Watch() {
  constexpr auto kLimit = 120s;
  for (;;) {
    Sleep(1000);
    std::lock_guard lock(running.mutex);
    const auto for_now = std::chrono::steady_clock::now() - running.since;
    if (!running.name.empty() && for_now > kLimit) {
      std::fprintf(stderr, "e2e: %s hung for %lld s\n", running.name.c_str(),
                   static_cast<long long>(
                       std::chrono::duration_cast<std::chrono::seconds>(for_now).count()));
      std::fflush(stderr);
      TerminateProcess(GetCurrentProcess(), 3);
    }
  }
}

std::wstring stackle_path;

}  // namespace

const std::wstring& StacklePath() {
  return stackle_path;
}

}  // namespace stackle::e2e

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view arg = argv[i];
    // Under Wine the build passes a Unix path; its full path form works.
    if (arg.starts_with(L"--stackle=")) {
      wchar_t full[MAX_PATH] = {};
      GetFullPathNameW(argv[i] + 10, MAX_PATH, full, nullptr);
      stackle::e2e::stackle_path = full;
    }
  }
  if (stackle::e2e::stackle_path.empty()) {
    std::fprintf(stderr, "usage: stackle_e2e --stackle=PATH [gtest flags]\n");
    return 2;
  }
  testing::UnitTest::GetInstance()->listeners().Append(new stackle::e2e::RecordRunning);
  std::thread(stackle::e2e::Watch).detach();
  return RUN_ALL_TESTS();
}
