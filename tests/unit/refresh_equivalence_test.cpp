// The list and the priority classes a refresh leaves, against a plain walk that reads
// everything for every window and sets every priority in walk order, on random desktops.
// The seed of a failing desktop is printed.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "app/layer_dialog.h"
#include "platform/sim/sim_dialog.h"
#include "platform/sim/sim_files.h"

namespace stackle {
namespace {

struct Outcome {
  std::vector<WindowListEntry> entries;
  std::map<ProcessId, std::uint32_t> priorities;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};

// The walk as the behaviour reads, step by step.
std::vector<WindowListEntry> PlainWalk(WindowSystem& ws, WindowRef own,
                                       const ExclusionList& exclusions) {
  std::vector<WindowListEntry> entries;
  const WindowRef last = ws.BottomWindow(own);
  WindowRef w = ws.WindowAbove(own);
  if (w == kNoWindow) w = ws.TopWindow();
  for (; w != kNoWindow && w != last; w = ws.WindowBelow(w)) {
    const Text title = ws.Title(w);
    if (title.empty() || exclusions.Excludes(title) || !ws.IsVisible(w) || w == own) continue;
    ws.SetProcessPriority(ws.ProcessOf(w), PriorityClass::kNormal);
    const bool folder = ws.ClassName(w) == u"CabinetWClass";
    Text label = folder ? u"(Folda):" + title : title;
    if (ws.IsTopMost(w)) {
      label = u"(TopMost):" + label;
      if (!folder) ws.SetProcessPriority(ws.ProcessOf(w), PriorityClass::kHigh);
    }
    if (ws.IsMinimized(w)) label = u"(Icon):" + label;
    entries.push_back({label, w});
  }
  return entries;
}

class RandomDesktop {
 public:
  explicit RandomDesktop(std::uint64_t seed) : random_(seed) {
    processes_.push_back(windows.OwnProcess());
    for (int i = Pick(6); i >= 0; --i)
      processes_.push_back(windows.AddProcess(Pick(5) == 0));
    for (ProcessId p : processes_)
      windows.ForcePriority(p, kClasses[Pick(4)]);
    for (int i = Pick(40); i > 0; --i)
      OpenWindow();
    const char16_t* entries[] = {u"Secret", u"Mail", u"\xD83D", u"帳", u"zzz", u""};
    std::vector<Text> chosen;
    for (const char16_t* entry : entries) {
      if (Pick(entry[0] ? 3 : 12) == 0) chosen.push_back(entry);
    }
    exclusions.Replace(chosen);
  }

  int Pick(std::size_t n) {
    return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, n - 1)(random_));
  }

  WindowRef OpenWindow(bool own = false) {
    const char16_t* titles[] = {u"",       u"Editor", u"Mail - Inbox",    u"Secret notes",
                                u"メモ帳", u"Player", u"\U0001F600 chat", u"Stackle"};
    return windows.AddWindow(
        {.title = titles[Pick(8)],
         .class_name = Pick(5) == 0 ? u"CabinetWClass" : u"SimWindow",
         .process = own ? windows.OwnProcess() : processes_[1 + Pick(processes_.size() - 1)],
         .visible = Pick(2) == 0,
         .minimized = Pick(5) == 0,
         .topmost = Pick(4) == 0});
  }

  // What other programs do between two refreshes.
  void OthersAct() {
    const std::vector<WindowRef> others = windows.OthersWindows();
    if (others.empty() || Pick(6) == 0) return static_cast<void>(OpenWindow());
    const WindowRef w = others[Pick(others.size())];
    const ShowCommand commands[] = {ShowCommand::kShow, ShowCommand::kHide, ShowCommand::kMinimize};
    switch (Pick(4)) {
      case 0:
        windows.DestroyWindow(w);
        break;
      case 1:
        windows.Get(w).title = Pick(2) ? u"Secret again" : u"Retitled";
        break;
      case 2:
        windows.ForcePriority(windows.ProcessOf(w), kClasses[Pick(4)]);
        break;
      default:
        windows.Show(w, commands[Pick(3)]);
    }
  }

  // The outcome of `act`, with every priority class put back as it was before.
  template <typename Act>
  Outcome Trying(Act act) {
    std::map<ProcessId, std::uint32_t> before;
    for (ProcessId p : processes_)
      before[p] = windows.PriorityOf(p);
    Outcome outcome{act(), {}};
    for (ProcessId p : processes_) {
      outcome.priorities[p] = windows.PriorityOf(p);
      windows.ForcePriority(p, before[p]);
    }
    return outcome;
  }

  static constexpr std::uint32_t kClasses[] = {0x40, 0x20, 0x80, 0x100};
  sim::SimWindowSystem windows;
  ExclusionList exclusions;

 private:
  std::mt19937_64 random_;
  std::vector<ProcessId> processes_;
};

TEST(FastRefresh, WalkListsAndPrioritizesAsThePlainWalkDoes) {
  for (std::uint64_t seed = 1; seed <= 400; ++seed) {
    RandomDesktop d(seed);
    // Stackle's dialog anywhere in the Z-order, maybe with windows above it.
    const WindowRef own = d.OpenWindow(/*own=*/true);
    for (int i = d.Pick(3); i > 0; --i)
      d.OpenWindow();
    const Outcome expected = d.Trying([&] { return PlainWalk(d.windows, own, d.exclusions); });
    const Outcome actual = d.Trying([&] { return WalkWindowList(d.windows, own, d.exclusions); });
    ASSERT_EQ(actual, expected) << "seed " << seed;
  }
}

TEST(FastRefresh, RefreshListsHiddenWindowsLastAtIdleRepaintsOnceAndResetsTheCaption) {
  for (std::uint64_t seed = 1; seed <= 150; ++seed) {
    RandomDesktop d(seed);
    sim::SimDialog dialog(d.windows);
    sim::SimFiles files;
    CLayerDialog layer(d.windows, dialog, files);
    dialog.Open(layer);
    for (int round = 0; round < 6; ++round) {
      // The user hides or shows listed windows; other programs act.
      for (int i = d.Pick(3); i > 0 && !dialog.Entries().empty(); --i)
        layer.ToggleListedWindow(static_cast<std::size_t>(d.Pick(dialog.Entries().size())));
      for (int i = d.Pick(4); i > 0; --i)
        d.OthersAct();
      // A selection shows its entry in the caption until the next refresh.
      if (d.Pick(2) == 0) dialog.SetCaption(u"(TopMost):Mail");

      const Outcome expected = d.Trying([&] {
        auto entries = PlainWalk(d.windows, dialog.Window(), layer.Exclusions());
        for (const HiddenEntry& hidden : layer.Hidden().Entries()) {
          if (d.windows.IsVisible(hidden.window)) continue;
          entries.push_back({u"(Hide):" + hidden.title, hidden.window});
          d.windows.SetProcessPriority(d.windows.ProcessOf(hidden.window), PriorityClass::kIdle);
        }
        return entries;
      });
      const int paints = dialog.WindowListPaints();
      const Outcome actual = d.Trying([&] {
        layer.RefreshWindowList();
        return dialog.Entries();
      });
      ASSERT_EQ(actual, expected) << "seed " << seed << ", round " << round;
      ASSERT_TRUE(dialog.WindowListRedraws()) << "seed " << seed;
      ASSERT_EQ(dialog.Caption(), u"Stackle") << "seed " << seed;
      ASSERT_EQ(dialog.WindowListPaints(), paints + 1) << "seed " << seed;
    }
  }
}

}  // namespace
}  // namespace stackle
