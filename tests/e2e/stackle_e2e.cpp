// End to end: the real stackle.exe, started the way a user starts it, checked from outside
// through its dialog, the windows it lists and the processes it touches.
//
//   stackle_e2e --stackle=PATH\stackle.exe --helper=PATH\e2e_helper.exe [gtest flags]

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <random>
#include <utility>

#include "e2e_support.h"

namespace stackle::e2e {
namespace {

class StackleE2e : public testing::Test {
 protected:
  TempDir dir_;
};

// The entries of `list` that name one of `helper`'s windows, in list order.
std::vector<ListEntry> EntriesOf(const Helper& helper, const std::vector<ListEntry>& list) {
  std::vector<ListEntry> entries;
  std::ranges::copy_if(list, std::back_inserter(entries),
                       [&](const ListEntry& entry) { return helper.Owns(entry.window); });
  return entries;
}

// What the list should show of `helper`'s windows: each window with a label, in the current
// Z-order. `labels` go with the helper's windows in creation order; nothing means unlisted.
std::vector<ListEntry> ExpectedInZOrder(const Helper& helper,
                                        const std::vector<std::optional<std::wstring>>& labels) {
  std::vector<ListEntry> expected;
  for (HWND window : ZOrder()) {
    const auto it = std::ranges::find(helper.windows(), window);
    if (it == helper.windows().end()) continue;
    if (const auto& label = labels[it - helper.windows().begin()]) {
      expected.push_back({*label, window});
    }
  }
  return expected;
}

// Labels for windows titled `titles`: the title itself when `listed` holds it.
std::vector<std::optional<std::wstring>> ListedTitles(const std::vector<std::wstring>& titles,
                                                      const std::vector<std::wstring>& listed) {
  std::vector<std::optional<std::wstring>> labels;
  for (const std::wstring& title : titles) {
    labels.push_back(std::ranges::find(listed, title) != listed.end()
                         ? std::optional<std::wstring>(title)
                         : std::nullopt);
  }
  return labels;
}

// `text` in the ANSI code page; nothing when the code page cannot represent it.
std::optional<std::string> EncodeAnsi(std::wstring_view text) {
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                       static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
  if (size <= 0 || lossy) return std::nullopt;
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                      bytes.data(), size, nullptr, &lossy);
  return bytes;
}

// Starts Stackle with `nolist` in its current directory and checks which of `helper`'s windows
// it lists. The helper's windows are plain windows titled `titles`.
void ExpectListedWithNolist(const Helper& helper, const std::vector<std::wstring>& titles,
                            const std::optional<std::string>& nolist,
                            const std::vector<std::wstring>& listed) {
  TempDir dir;
  if (nolist) dir.WriteFile("nolist.txt", *nolist);
  Stackle stackle(dir);
  const auto list = stackle.ReadList();
  ASSERT_TRUE(list) << "the window list does not answer";
  EXPECT_EQ(EntriesOf(helper, *list), ExpectedInZOrder(helper, ListedTitles(titles, listed)));
}

TEST_F(StackleE2e, ListsVisibleTitledWindowsInZOrderLabelledWithTheirState) {
  struct Case {
    TestWindow window;
    std::optional<std::wstring> label;
  };
  const std::vector<Case> cases = {
      {{.title = L"Plain window"}, L"Plain window"},
      {{.title = L"A folder", .class_name = L"CabinetWClass"}, L"(Folda):A folder"},
      {{.title = L"Almost a folder", .class_name = L"CabinetWClassic"}, L"Almost a folder"},
      {{.title = L"Put away", .minimized = true}, L"(Icon):Put away"},
      {{.title = L"Always on top", .topmost = true}, L"(TopMost):Always on top"},
      {{.title = L"Everything at once",
        .class_name = L"CabinetWClass",
        .minimized = true,
        .topmost = true},
       L"(Icon):(TopMost):(Folda):Everything at once"},
      {{.title = L"Not shown", .hidden = true}, std::nullopt},
      {{.title = L""}, std::nullopt},
      {{.title = L"日本語のウィンドウ"}, L"日本語のウィンドウ"},
      {{.title = L"Beyond the BMP \U0001F600\U00020BB7"}, L"Beyond the BMP \U0001F600\U00020BB7"},
      {{.title = L"Long " + std::wstring(600, L'x')}, L"Long " + std::wstring(600, L'x')},
      {{.title = L"Plain window, last"}, L"Plain window, last"},
  };
  std::vector<TestWindow> requests;
  std::vector<std::optional<std::wstring>> labels;
  for (const Case& c : cases) {
    requests.push_back(c.window);
    labels.push_back(c.label);
  }
  Helper helper(requests, dir_);
  Stackle stackle(dir_);

  for (const bool refreshed : {false, true}) {
    SCOPED_TRACE(refreshed ? "after a refresh" : "at start");
    if (refreshed) {
      ASSERT_TRUE(stackle.Click(kRefreshButton));
    }
    const auto list = stackle.ReadList();
    ASSERT_TRUE(list) << "the window list does not answer";
    EXPECT_EQ(EntriesOf(helper, *list), ExpectedInZOrder(helper, labels));
    for (const ListEntry& entry : *list) {
      SCOPED_TRACE(testing::PrintToString(entry));
      EXPECT_NE(entry.window, stackle.dialog()) << "Stackle lists its own dialog";
      EXPECT_TRUE(IsWindow(entry.window)) << "the item data is not a window";
      EXPECT_TRUE(entry.label.ends_with(WindowTitle(entry.window)))
          << "the label does not end with the title of the window in the item data";
    }
  }
}

TEST_F(StackleE2e, RefreshListsFromTheWindowDirectlyAboveTheDialogDown) {
  Helper below({{.title = L"Below the dialog"}}, dir_);
  Stackle stackle(dir_);
  // Always-on-top windows that appear later go above the dialog, the last one highest.
  Helper above(
      {{.title = L"Directly above", .topmost = true}, {.title = L"Further above", .topmost = true}},
      dir_);
  const HWND directly_above = above.windows()[0];
  const HWND further_above = above.windows()[1];
  // The dialog's own hidden windows (a tooltip) may sit right above it: move in between.
  if (const HWND next = GetWindow(stackle.dialog(), GW_HWNDPREV); next != directly_above) {
    ASSERT_TRUE(
        SetWindowPos(directly_above, next, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
  }
  const std::vector<HWND> z_order = ZOrder();
  ASSERT_EQ(GetWindow(stackle.dialog(), GW_HWNDPREV), directly_above);
  ASSERT_LT(std::ranges::find(z_order, further_above), std::ranges::find(z_order, directly_above));

  // A command rather than a click, which would bring the dialog to the top.
  ASSERT_TRUE(stackle.Send(stackle.dialog(), WM_COMMAND, MAKEWPARAM(kRefreshButton, BN_CLICKED),
                           reinterpret_cast<LPARAM>(stackle.Control(kRefreshButton))));
  const auto list = stackle.ReadList();
  ASSERT_TRUE(list) << "the window list does not answer";
  EXPECT_EQ(EntriesOf(above, *list),
            (std::vector<ListEntry>{{L"(TopMost):Directly above", directly_above}}));
  EXPECT_EQ(EntriesOf(below, *list),
            (std::vector<ListEntry>{{L"Below the dialog", below.windows()[0]}}));
}

TEST_F(StackleE2e, NolistTxtExcludesTitlesContainingAnyOfItsLines) {
  const std::vector<std::wstring> titles = {L"Alpha report", L"The beta draft", L"Notes gamma",
                                            L"ALPHA BETA GAMMA", L"Delta plain"};
  struct Case {
    const char* name;
    std::optional<std::string> nolist;
    std::vector<std::wstring> listed;
  };
  // How lines split and match is the unit tests' work; here, that the file beside the
  // program is read and applied.
  const std::vector<Case> cases = {
      {"no nolist.txt", std::nullopt, titles},
      {"an empty nolist.txt", "", titles},
      {"lines match at the start, middle and end, case-sensitively",
       "Alpha\r\nbeta\ngamma",
       {L"ALPHA BETA GAMMA", L"Delta plain"}},
      {"a blank line excludes every window", "Alpha\r\n\r\nbeta\r\n", {}},
  };
  Helper helper(TitledWindows(titles), dir_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectListedWithNolist(helper, titles, c.nolist, c.listed);
  }
}

TEST_F(StackleE2e, NolistTxtIsReadInTheAnsiCodePageOrAsUtf8AfterAByteOrderMark) {
  const std::vector<std::wstring> titles = {L"日本語のメモ", L"表示の設定", L"日本の地図",
                                            L"Café menu",    L"Cafe menu",  L"Smile \U0001F600",
                                            L"English memo"};
  const auto all_but = [&](const std::vector<std::wstring>& excluded) {
    std::vector<std::wstring> listed;
    std::ranges::copy_if(titles, std::back_inserter(listed), [&](const std::wstring& title) {
      return std::ranges::find(excluded, title) == excluded.end();
    });
    return listed;
  };
  struct Case {
    const char* name;
    std::optional<std::string> nolist;  // nothing: the code page cannot write it
    std::vector<std::wstring> listed;
  };
  const auto western = EncodeAnsi(L"Café\r\n");
  const std::vector<Case> cases = {
      {"Japanese in the ANSI code page", EncodeAnsi(L"日本語\r\n表示\r\n"),
       all_but({L"日本語のメモ", L"表示の設定"})},
      {"Western in the ANSI code page", western && western->size() == 6 ? western : std::nullopt,
       all_but({L"Café menu"})},
      {"UTF-8 after a byte-order mark", "\xEF\xBB\xBF日本語\r\n\U0001F600\r\nCafé\r\n",
       all_but({L"日本語のメモ", L"Café menu", L"Smile \U0001F600"})},
      // Without the mark the bytes are read in the ANSI code page, where they spell other text.
      {"UTF-8 without the mark", "Café\r\n", titles},
  };
  Helper helper(TitledWindows(titles), dir_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.nolist) {
      std::printf("skipped under code page %u: %s\n", GetACP(), c.name);
      continue;
    }
    ExpectListedWithNolist(helper, titles, *c.nolist, c.listed);
  }
}

TEST_F(StackleE2e, EachRefreshSetsTheListedWindowsProcessesPriority) {
  struct Case {
    const char* name;
    std::vector<TestWindow> windows;
    DWORD priority;
  };
  const std::vector<Case> cases = {
      {"an ordinary window", {{.title = L"Ordinary"}}, NORMAL_PRIORITY_CLASS},
      {"an always-on-top window", {{.title = L"On top", .topmost = true}}, HIGH_PRIORITY_CLASS},
      {"an always-on-top and an ordinary window",
       {{.title = L"Ordinary too"}, {.title = L"On top too", .topmost = true}},
       NORMAL_PRIORITY_CLASS},
      {"an always-on-top folder window",
       {{.title = L"On-top folder", .class_name = L"CabinetWClass", .topmost = true}},
       NORMAL_PRIORITY_CLASS},
      {"only a hidden window", {{.title = L"Hidden", .hidden = true}}, IDLE_PRIORITY_CLASS},
      {"only an excluded window",
       {{.title = L"Excluded on top", .topmost = true}},
       IDLE_PRIORITY_CLASS},
  };
  dir_.WriteFile("nolist.txt", "Excluded");
  std::vector<std::unique_ptr<Helper>> helpers;
  for (const Case& c : cases)
    helpers.push_back(std::make_unique<Helper>(c.windows, dir_));
  const auto set_all_idle = [&] {
    for (const auto& helper : helpers) {
      ASSERT_TRUE(SetPriorityClass(helper->process().handle(), IDLE_PRIORITY_CLASS));
      ASSERT_EQ(GetPriorityClass(helper->process().handle()), IDLE_PRIORITY_CLASS);
    }
  };

  set_all_idle();
  Stackle stackle(dir_);
  for (const bool refreshed : {false, true}) {
    SCOPED_TRACE(refreshed ? "after a refresh" : "at start");
    if (refreshed) {
      set_all_idle();
      ASSERT_TRUE(stackle.Click(kRefreshButton));
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
      EXPECT_EQ(PriorityOf(helpers[i]->process().handle()), PriorityClassName(cases[i].priority))
          << "for a process with " << cases[i].name;
    }
  }
}

// The template is read back control by control by the adapter tests; here, that the real
// program shows it, on top, under its caption.
TEST_F(StackleE2e, DialogStaysOnTopCaptionedStackleWithItsListAndButtons) {
  Stackle stackle(dir_);
  EXPECT_TRUE(IsTopMost(stackle.dialog()));
  for (const int id : {kWindowList, kRefreshButton, kBringToFrontButton, kExitButton}) {
    EXPECT_TRUE(IsWindowVisible(stackle.Control(id))) << "control " << id;
  }
  EXPECT_EQ(Narrow(WindowTitle(stackle.Control(kRefreshButton))), Narrow(L"ｳｲﾝﾄﾞｳの取得(&G)"));
  EXPECT_EQ(Narrow(stackle.Caption()), "Stackle");
  ASSERT_TRUE(stackle.Click(kRefreshButton));
  EXPECT_EQ(Narrow(stackle.Caption()), "Stackle") << "after a refresh";
}

TEST_F(StackleE2e, SecondCopyEndsAtOnceAndLeavesTheFirstRunning) {
  Stackle first(dir_);
  Process second(Programs().stackle, {}, dir_.path());
  bool second_showed_a_dialog = false;
  const bool second_ended = WaitUntil(
      [&] {
        if (!FindStackleDialogs(second.id()).empty()) second_showed_a_dialog = true;
        return !second.Running();
      },
      kExitTimeout);

  EXPECT_TRUE(second_ended) << "the second copy still runs";
  EXPECT_FALSE(second_showed_a_dialog);
  EXPECT_EQ(FindStackleDialogs(), std::vector<HWND>{first.dialog()});
  EXPECT_TRUE(first.process().Running());
  EXPECT_TRUE(first.Send(first.Control(kWindowList), LB_GETCOUNT).has_value())
      << "the first copy does not answer";
}

TEST_F(StackleE2e, OnlyClosingTheWindowOrExitEndsTheProgram) {
  struct Case {
    const char* name;
    std::function<void(Stackle&)> act;
    bool ends;
  };
  const auto key = [](UINT virtual_key) {
    return [virtual_key](Stackle& stackle) {
      const HWND list = stackle.Control(kWindowList);
      ASSERT_TRUE(
          stackle.Send(stackle.dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE));
      PostMessageW(list, WM_KEYDOWN, virtual_key, 1);
      PostMessageW(list, WM_KEYUP, virtual_key, 0xC0000001);
    };
  };
  const std::vector<Case> cases = {
      {"closing the window",
       [](Stackle& stackle) { PostMessageW(stackle.dialog(), WM_CLOSE, 0, 0); }, true},
      {"the Exit button", [](Stackle& stackle) { stackle.Click(kExitButton); }, true},
      {"command 2",
       [](Stackle& stackle) {
         ASSERT_TRUE(stackle.Send(stackle.dialog(), WM_COMMAND,
                                  MAKEWPARAM(kBringToFrontButton, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(stackle.Control(kBringToFrontButton))));
       },
       false},
      {"the bring-to-front button",
       [](Stackle& stackle) { ASSERT_TRUE(stackle.Click(kBringToFrontButton)); }, false},
      {"Escape in the window list", key(VK_ESCAPE), false},
      {"Enter in the window list", key(VK_RETURN), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Stackle stackle(dir_);
    c.act(stackle);
    if (c.ends) {
      EXPECT_TRUE(stackle.process().WaitForExit(kExitTimeout)) << "Stackle still runs";
      continue;
    }
    // Messages posted to the list are handled in order: once this one is, so is the action.
    const HWND list = stackle.Control(kWindowList);
    const WPARAM fence = 4321;
    PostMessageW(list, LB_SETHORIZONTALEXTENT, fence, 0);
    WaitUntil(
        [&] {
          return !stackle.process().Running() ||
                 stackle.Send(list, LB_GETHORIZONTALEXTENT) == static_cast<LRESULT>(fence);
        },
        kMessageTimeout);
    EXPECT_TRUE(IsWindowVisible(stackle.dialog())) << "the dialog was closed";
    EXPECT_FALSE(stackle.process().WaitForExit(500ms)) << "Stackle ended";
  }
}

TEST_F(StackleE2e, RunsWithAnUnreadableNolistTxt) {
  struct Case {
    const char* name;
    std::function<void(const TempDir&)> prepare;
    bool window_listed;
  };
  const std::vector<Case> cases = {
      {"nolist.txt is a directory",
       [](const TempDir& dir) { std::filesystem::create_directory(dir.path() / "nolist.txt"); },
       true},
      {"nolist.txt is 1 MB of random bytes",
       [](const TempDir& dir) {
         std::mt19937 random(20240601);
         std::string bytes(1 << 20, '\0');
         for (char& byte : bytes)
           byte = static_cast<char>(random());
         dir.WriteFile("nolist.txt", bytes);
       },
       false},
  };
  Helper helper({{.title = L"Listed unless excluded"}}, dir_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    c.prepare(dir);
    Stackle stackle(dir);
    ASSERT_TRUE(stackle.Click(kRefreshButton));
    const auto list = stackle.ReadList();
    ASSERT_TRUE(list) << "the window list does not answer";
    if (c.window_listed) {
      EXPECT_EQ(EntriesOf(helper, *list),
                (std::vector<ListEntry>{{L"Listed unless excluded", helper.windows()[0]}}));
    }
    EXPECT_EQ(Narrow(stackle.Caption()), "Stackle");
  }
}

}  // namespace
}  // namespace stackle::e2e

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  auto& programs = stackle::e2e::Programs();
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view arg = argv[i];
    for (auto [flag, path] :
         {std::pair{L"--stackle=", &programs.stackle}, std::pair{L"--helper=", &programs.helper}}) {
      if (!arg.starts_with(flag)) continue;
      // Under Wine the build passes Unix paths; the full path form works for both.
      const std::wstring given(arg.substr(std::wcslen(flag)));
      std::wstring full(GetFullPathNameW(given.c_str(), 0, nullptr, nullptr), L'\0');
      full.resize(
          GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
      *path = full;
    }
  }
  if (programs.stackle.empty() || programs.helper.empty()) {
    std::fwprintf(stderr, L"usage: stackle_e2e --stackle=PATH --helper=PATH [gtest flags]\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
