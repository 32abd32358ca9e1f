// What Stackle relies on from the window system, checked against the simulation natively and
// against the real Win32 adapter under Wine, so that the model cannot drift from the real thing.
//
// A desktop type provides: `WindowSystem& windows()`, `WindowRef Open(const Text& title,
// const Text& class_name, bool topmost)` (a visible top-level window of the test's own process),
// `WindowRef OpenChild(WindowRef parent)` (a control in it), `ProcessId OtherProcess()`
// (another process that may be opened) and `Text OwnProgramName()` (the test program's file).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/window_system.h"

namespace stackle::contract {

template <typename Desktop>
class WindowSystemContract : public ::testing::Test {
 protected:
  Desktop desktop;
  WindowSystem& windows() { return desktop.windows(); }

  // The relative top-to-bottom order of `these` in the real Z-order.
  std::vector<WindowRef> Order(std::vector<WindowRef> these) {
    std::vector<WindowRef> order;
    for (WindowRef w : windows().TopLevelWindows()) {
      if (std::find(these.begin(), these.end(), w) != these.end()) order.push_back(w);
    }
    return order;
  }
};

TYPED_TEST_SUITE_P(WindowSystemContract);

TYPED_TEST_P(WindowSystemContract, ReadsTitlesClassesAndStates) {
  WindowSystem& ws = this->windows();
  const Text title = u"無題 - メモ帳 \U0001F4DA";
  const WindowRef w = this->desktop.Open(title, u"CabinetWClass", false);
  EXPECT_EQ(ws.Title(w), title);
  EXPECT_EQ(ws.ClassName(w), u"CabinetWClass");
  EXPECT_TRUE(ws.Exists(w));
  EXPECT_TRUE(ws.IsVisible(w));
  EXPECT_FALSE(ws.IsTopMost(w));
  EXPECT_EQ(ws.CloakOf(w), 0u) << "a window on the screen is not cloaked";
  const WindowRef child = this->desktop.OpenChild(w);
  EXPECT_EQ(ws.Children(w), std::vector<WindowRef>{child});
  EXPECT_EQ(ws.Parent(child), w);
  EXPECT_EQ(ws.ProcessOf(child), ws.ProcessOf(w));

  struct Step {
    ShowCommand command;
    bool visible, minimized, maximized;
  };
  const Step steps[] = {
      {ShowCommand::kMinimize, true, true, false}, {ShowCommand::kShowNormal, true, false, false},
      {ShowCommand::kMaximize, true, false, true}, {ShowCommand::kHide, false, false, true},
      {ShowCommand::kShow, true, false, true},     {ShowCommand::kShowNormal, true, false, false},
  };
  for (const Step& s : steps) {
    EXPECT_TRUE(ws.Show(w, s.command)) << "done, and said so";
    EXPECT_EQ(ws.IsVisible(w), s.visible) << static_cast<int>(s.command);
    EXPECT_EQ(ws.IsMinimized(w), s.minimized) << static_cast<int>(s.command);
    EXPECT_EQ(ws.IsMaximized(w), s.maximized) << static_cast<int>(s.command);
  }
  EXPECT_EQ(ws.Title(kNoWindow), u"");
  EXPECT_FALSE(ws.Exists(kNoWindow));
}

TYPED_TEST_P(WindowSystemContract, KeepsTheAlwaysOnTopBandAboveTheRest) {
  WindowSystem& ws = this->windows();
  const WindowRef pinned = this->desktop.Open(u"Pinned", u"StackleTestA", true);
  const WindowRef a = this->desktop.Open(u"A", u"StackleTestA", false);
  const WindowRef b = this->desktop.Open(u"B", u"StackleTestA", false);
  const auto where = ws.WindowRect(a);
  EXPECT_TRUE(ws.IsTopMost(pinned));
  EXPECT_EQ(this->Order({pinned, a, b}), (std::vector{pinned, b, a}))
      << "a new window opens on top of its band";
  // Where each placement leaves the three, top first.
  struct Step {
    WindowRef window;
    InsertAfter where;
    std::vector<WindowRef> order;
  };
  const Step steps[] = {
      {a, InsertAfter::kTop, {pinned, a, b}},  // the ordinary band's top is below the pinned
      {b, InsertAfter::kTopMost, {b, pinned, a}},
      {b, InsertAfter::kNoTopMost, {pinned, b, a}},
      {pinned, InsertAfter::kBottom, {b, a, pinned}},  // the bottom is outside the band
  };
  for (const Step& step : steps) {
    EXPECT_TRUE(ws.Place(step.window, step.where, false));
    EXPECT_EQ(this->Order({pinned, a, b}), step.order) << static_cast<int>(step.where);
    EXPECT_EQ(ws.IsTopMost(step.window), step.where == InsertAfter::kTopMost);
  }
  EXPECT_EQ(ws.BottomWindow(a), pinned);
  EXPECT_EQ(ws.WindowRect(a), where) << "placing never moves a window";
}

TYPED_TEST_P(WindowSystemContract, SetsAndReadsAnotherProcesssPriorityClass) {
  WindowSystem& ws = this->windows();
  const ProcessId other = this->desktop.OtherProcess();
  for (PriorityClass p : {PriorityClass::kIdle, PriorityClass::kHigh, PriorityClass::kNormal,
                          PriorityClass::kRealtime, PriorityClass::kNormal}) {
    ws.SetProcessPriority(other, p);
    EXPECT_EQ(ws.ProcessPriority(other), static_cast<std::uint32_t>(p));
  }
  const WindowRef w = this->desktop.Open(u"Mine", u"StackleTestA", false);
  EXPECT_EQ(ws.ProcessOf(w), ws.OwnProcess());
  EXPECT_TRUE(ws.ProgramPath(ws.OwnProcess()).ends_with(this->desktop.OwnProgramName()));
  EXPECT_EQ(ws.ProgramPath(0), u"");
  EXPECT_EQ(ws.ProcessOf(kNoWindow), 0u);
  ws.SetProcessPriority(0, PriorityClass::kHigh);  // no such process: nothing happens
  EXPECT_EQ(ws.ProcessPriority(0), std::nullopt);
}

TYPED_TEST_P(WindowSystemContract, MarksWindowsAndClosesOnRequest) {
  WindowSystem& ws = this->windows();
  const WindowRef a = this->desktop.Open(u"A", u"StackleTestA", false);
  const WindowRef b = this->desktop.Open(u"B", u"StackleTestA", false);
  EXPECT_EQ(ws.MarkOf(a, WindowMark::kHidden), 0u);
  ws.SetMark(a, WindowMark::kHidden, 1);
  ws.SetMark(a, WindowMark::kRulePinned, 0x1234);
  EXPECT_EQ(ws.MarkOf(a, WindowMark::kHidden), 1u);
  EXPECT_EQ(ws.MarkOf(a, WindowMark::kRulePinned), 0x1234u) << "each mark keeps its value";
  EXPECT_EQ(ws.MarkOf(b, WindowMark::kHidden), 0u);
  ws.SetMark(a, WindowMark::kHidden, 0);
  EXPECT_EQ(ws.MarkOf(a, WindowMark::kHidden), 0u);

  ws.SetMark(b, WindowMark::kHidden, 1);
  ws.RequestClose(b, [] { return false; });  // an ordinary window closes when asked
  EXPECT_FALSE(ws.Exists(b));
  EXPECT_EQ(ws.MarkOf(b, WindowMark::kHidden), 0u) << "the mark dies with its window";
}

TYPED_TEST_P(WindowSystemContract, MovesWindowsAndKnowsTheMonitors) {
  WindowSystem& ws = this->windows();
  const WindowRef w = this->desktop.Open(u"A", u"StackleTestA", false);
  ws.MoveWindow(w, {100, 50, 420, 330});
  EXPECT_EQ(ws.WindowRect(w), (Rect{100, 50, 420, 330}));
  EXPECT_EQ(ws.WindowRect(kNoWindow), std::nullopt);

  EXPECT_TRUE(ws.AnyMonitorShows({10, 10, 50, 50}));
  EXPECT_FALSE(ws.AnyMonitorShows({-30000, -30000, -29000, -29500}));
  const Rect area = ws.NearestWorkArea({-30000, -30000, -29000, -29500});
  EXPECT_GT(area.Width(), 0);
  EXPECT_GT(area.Height(), 0);
  EXPECT_TRUE(ws.AnyMonitorShows(area));
}

REGISTER_TYPED_TEST_SUITE_P(WindowSystemContract, MovesWindowsAndKnowsTheMonitors,
                            ReadsTitlesClassesAndStates, KeepsTheAlwaysOnTopBandAboveTheRest,
                            SetsAndReadsAnotherProcesssPriorityClass,
                            MarksWindowsAndClosesOnRequest);

}  // namespace stackle::contract
