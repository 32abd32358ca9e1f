#include <gtest/gtest.h>

#include "catalogue/opacity_register.h"
#include "sim_desk.h"

namespace stackle {
namespace {

TEST(Opacity, StepsFromWhatTheWindowWasAndPutsExactlyThatBack) {
  using Result = OpacityRegister::Result;
  const Layering plain{};
  const Layering alpha200{.layered = true, .readable = true, .alpha = 200, .flags = kLayeredAlpha};
  const Layering keyed{
      .layered = true, .readable = true, .color_key = 0xFF00FF, .flags = kLayeredColorKey};
  const Layering draws_itself{.layered = true};
  struct Case {
    const char* what;
    Layering original;
    bool refuses;
    std::vector<int> steps;  // percent set in turn
    Result last;
    std::uint8_t alpha;  // after the steps
    int percent;         // as Stackle tells it after the steps
  };
  // clang-format off
  const Case cases[] = {
      {"a plain window", plain, false, {60}, Result::kDone, 153, 60},
      {"never below the floor", plain, false, {10}, Result::kDone, 51, 20},
      {"steps never compound", plain, false, {50, 50, 50}, Result::kDone, 128, 50},
      {"a layered window keeps its colour key", keyed, false, {50}, Result::kDone, 128, 50},
      {"one that draws itself is left alone", draws_itself, false, {50}, Result::kDrawsItself, 255, 100},
      {"a program run as administrator refuses", plain, true, {50}, Result::kRefused, 255, 100},
      {"at 100% nothing to do", alpha200, false, {100}, Result::kDone, 200, 78},
  };
  // clang-format on
  for (const Case& c : cases) {
    sim::SimWindowSystem windows;
    const WindowRef w = windows.AddWindow({.title = u"W",
                                           .process = windows.AddProcess(),
                                           .refuses = c.refuses,
                                           .layering = c.original});
    OpacityRegister opacity(windows);
    Result result = Result::kDone;
    for (int step : c.steps)
      result = opacity.Set(w, step);
    EXPECT_EQ(result, c.last) << c.what;
    EXPECT_EQ(windows.Get(w).layering.alpha, c.alpha) << c.what;
    EXPECT_EQ(opacity.PercentOf(w), c.percent) << c.what;
    if (c.original == keyed) {
      EXPECT_EQ(windows.Get(w).layering.color_key, 0xFF00FFu);
      EXPECT_EQ(windows.Get(w).layering.flags, kLayeredAlpha | kLayeredColorKey);
    }
    EXPECT_EQ(opacity.Set(w, 100), c.last == Result::kDrawsItself ? c.last : Result::kDone)
        << c.what;
    EXPECT_EQ(windows.Get(w).layering, c.original) << c.what << ": exactly as it was";
    EXPECT_TRUE(windows.Get(w).marks.empty()) << c.what;
  }
}

TEST(Opacity, IsUndoneAtExitAtTheSessionsEndAndByTheCopyAfterAKill) {
  enum class End { kExit, kSessionEnd, kKillThenExit };
  for (const End end : {End::kExit, End::kSessionEnd, End::kKillThenExit}) {
    sim::SimWindowSystem windows;
    sim::SimFiles files;
    const ProcessId program = windows.AddProcess();
    windows.AddWindow({.title = u"Desktop", .process = program});
    const Layering before{.layered = true, .readable = true, .alpha = 230, .flags = kLayeredAlpha};
    const WindowRef kept = windows.AddWindow(
        {.title = u"Notes", .process = program, .rect = {0, 0, 300, 16}, .layering = before});
    const WindowRef reset = windows.AddWindow({.title = u"Reset", .process = program});
    auto run = std::make_unique<StackleRun>(windows, files);
    WindowOperations& operations = run->layer.Operations();
    operations.SetWindowOpacity(kept, 50, Origin::kScript);
    operations.SetWindowOpacity(reset, 30, Origin::kScript);
    EXPECT_EQ(windows.Get(kept).layering.alpha, 128);
    EXPECT_EQ(operations.SetWindowOpacity(run->dialog.Window(), 50, Origin::kScript),
              OpacityRegister::Result::kKept)
        << "Stackle's own windows are never changed";
    run->dialog.UserSelects(1);
    EXPECT_EQ(run->dialog.Caption(), u"Notes  不透明度 50%");
    windows.Get(reset).layering.alpha = 240;  // its program sets an alpha of its own
    if (end == End::kKillThenExit) {
      const WindowRef killed = run->dialog.Window();
      run.reset();
      windows.DestroyWindow(killed);
      run = std::make_unique<StackleRun>(windows, files);
    }
    run->dialog.Send(end == End::kSessionEnd ? Message{kWmEndSession, 1, 0}
                                             : Message{kWmClose, 0, 0});
    EXPECT_EQ(windows.Get(kept).layering, before) << "as it was before";
    EXPECT_EQ(windows.Get(reset).layering.alpha, 240) << "as its program set it";
    EXPECT_TRUE(windows.Get(kept).marks.empty() && windows.Get(reset).marks.empty());
  }
}

}  // namespace
}  // namespace stackle
