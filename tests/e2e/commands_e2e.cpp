// End to end: what Stackle does to the selected window — the buttons and their keys, the
// per-window menu, hiding — on real windows, a hung program's among them, and across a kill.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "e2e_support.h"
#include "res/resource.h"

namespace stackle::e2e {
namespace {

TEST(Commands, ButtonsAndTheirKeysMoveTheSelectedWindowAndStackleStaysAbove) {
  Helper helper({{.title = L"Alpha"}, {.title = L"Beta"}});
  const HWND alpha = helper.windows()[0], beta = helper.windows()[1];
  TempDir dir;
  Stackle stackle(dir);
  const HWND dialog = stackle.dialog();
  struct Step {
    const char* name;
    HWND selected;
    std::function<void()> press;
    std::function<bool()> done;
  };
  const auto mnemonic = [&](wchar_t key) {
    return [&, key] { PostMessageW(stackle.Control(IDC_WINDOW_LIST), WM_SYSCHAR, key, 1 << 29); };
  };
  const std::vector<Step> steps = {
      {"always on top", alpha, [&] { stackle.Click(IDC_ALWAYS_ON_TOP); },
       [&] { return IsTopMost(alpha); }},
      {"Alt+U", alpha, mnemonic(L'u'), [&] { return !IsTopMost(alpha); }},
      {"Enter", beta, [&] { stackle.PressKey(VK_RETURN); }, [&] { return Above(beta, alpha); }},
      {"Escape", alpha, [&] { stackle.PressKey(VK_ESCAPE); }, [&] { return Above(alpha, beta); }},
      {"Alt+B", alpha, mnemonic(L'b'), [&] { return !GetWindow(alpha, GW_HWNDNEXT); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    ASSERT_TRUE(stackle.Select(step.selected));
    step.press();
    EXPECT_TRUE(WaitUntil(step.done));
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(dialog) && Above(dialog, step.selected); }))
        << "Stackle stays above";
  }
  EXPECT_TRUE(IsWindowVisible(dialog)) << "Enter and Escape leave the dialog open";
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(stackle.process().WaitForExit()) << "the close box ends Stackle";
}

TEST(Commands, ThePerWindowMenuActsOnTheEntryUnderTheMouse) {
  Helper helper({{.title = L"Mail"}, {.title = L"Editor"}});
  const HWND mail = helper.windows()[0];
  TempDir dir;
  Stackle stackle(dir);
  ASSERT_TRUE(stackle.Choose(stackle.OpenWindowMenu(mail), {'X'}));  // 最大化
  EXPECT_TRUE(WaitUntil([&] { return IsZoomed(mail); }));

  ASSERT_TRUE(stackle.Choose(stackle.OpenWindowMenu(mail), {'H'}));  // 優先度 高
  EXPECT_TRUE(WaitUntil([&] { return HelpersPriority() == HIGH_PRIORITY_CLASS; }));
  EXPECT_EQ(stackle.Send(stackle.Control(IDC_WINDOW_LIST), LB_GETCURSEL), stackle.IndexOf(mail))
      << "no refresh after a priority";

  ASSERT_TRUE(stackle.Choose(stackle.OpenWindowMenu(mail), {'C'}));  // 閉じる
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(mail) && IsTopMost(stackle.dialog()); }));
}

TEST(Commands, CommandsOnAHungProgramsWindowLeaveStackleAnsweringAndOnTop) {
  Helper helper({{.title = L"Stopped responding"}});
  const HWND hung = helper.windows()[0];
  TempDir dir;
  Stackle stackle(dir);
  const HWND dialog = stackle.dialog();
  helper.Hang();
  // Wine calls a program hung once it has not looked at its messages for five seconds.
  ASSERT_TRUE(WaitUntil([&] { return IsHungAppWindow(hung); }));
  struct Case {
    const char* name;
    std::function<bool()> ask;
  };
  const std::vector<Case> cases = {
      {"minimize from the per-window menu",
       [&] { return stackle.Choose(stackle.OpenWindowMenu(hung), {'N'}); }},
      {"hide with the button",
       [&] {
         return stackle.Select(hung) &&
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SHOW_HIDE, BN_CLICKED),
                             reinterpret_cast<LPARAM>(stackle.Control(IDC_SHOW_HIDE)));
       }},
      {"close from the per-window menu",
       [&] { return stackle.Choose(stackle.OpenWindowMenu(hung), {'C'}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Each command ends with a refresh, which puts a listed window's program back to normal.
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS));
    ASSERT_TRUE(c.ask());
    EXPECT_TRUE(WaitUntil([&] {
      return HelpersPriority() == NORMAL_PRIORITY_CLASS && IsTopMost(dialog) &&
             stackle.Send(dialog, WM_NULL);
    }));
    // Still there, and not hidden: hidden later, when it recovers, it would escape the list.
    EXPECT_EQ(stackle.Labels(helper), std::vector<std::wstring>{L"Stopped responding"});
    EXPECT_TRUE(IsWindowVisible(hung));
  }
}

TEST(Commands, AHiddenWindowStaysListedAndComesBackWhenStackleEndsEvenAfterAKill) {
  for (const bool killed : {false, true}) {
    SCOPED_TRACE(killed ? "killed, then started and closed" : "closed");
    Helper helper({{.title = L"Mail"}, {.title = L"Editor"}});
    const HWND mail = helper.windows()[0];
    const std::vector<std::wstring> listed = {L"Editor", L"(Hide):Mail"};
    TempDir dir;
    {
      Stackle stackle(dir);
      ASSERT_TRUE(stackle.Select(mail));
      ASSERT_TRUE(stackle.Click(IDC_SHOW_HIDE));
      EXPECT_FALSE(IsWindowVisible(mail));
      EXPECT_EQ(stackle.Labels(helper), listed);
      EXPECT_EQ(HelpersPriority(), IDLE_PRIORITY_CLASS);
      if (killed) stackle.process().Terminate();
    }
    if (killed) {
      EXPECT_FALSE(IsWindowVisible(mail)) << "killed: nothing showed it";
      Stackle stackle(dir);
      EXPECT_EQ(stackle.Labels(helper), listed) << "the next run takes it over";
    }
    EXPECT_TRUE(IsWindowVisible(mail));
    EXPECT_EQ(HelpersPriority(), NORMAL_PRIORITY_CLASS);
  }
}

TEST(Commands, HandlesStaySteadyOverManyRefreshesWhileWindowsComeAndGo) {
  Helper churn({}, /*churn=*/true);
  Helper kept({{.title = L"Hidden by Stackle"}, {.title = L"On top", .topmost = true}});
  TempDir dir;
  Stackle stackle(dir);
  ASSERT_TRUE(stackle.Select(kept.windows()[0]));
  ASSERT_TRUE(stackle.Click(IDC_SHOW_HIDE));
  for (int i = 0; i < 10; ++i)
    ASSERT_TRUE(stackle.Click(IDC_REFRESH));
  const std::size_t before = HandleCount(stackle.process().id());
  ASSERT_GT(before, 0u) << "the handle count cannot be read";
  std::set<std::wstring> seen;
  for (int i = 0; i < 500; ++i) {
    ASSERT_TRUE(stackle.Click(IDC_REFRESH)) << "refresh " << i;
    if (i % 10 == 0) std::ranges::copy(stackle.Labels(churn), std::inserter(seen, seen.end()));
  }
  EXPECT_LE(HandleCount(stackle.process().id()), before + 4);
  EXPECT_GE(seen.size(), 20u) << "windows came and went under the walks";
}

}  // namespace
}  // namespace stackle::e2e
