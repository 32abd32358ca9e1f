// The window list walk and the mouse-follow tick on the simulated window system, with the
// window-system calls and allocations each makes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <string>

#include "app/layer_dialog.h"
#include "catalogue/window_list.h"
#include "platform/sim/sim_dialog.h"
#include "platform/sim/sim_files.h"

namespace {

std::size_t allocations = 0;

}  // namespace

[[gnu::noinline]] void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// Not inlined: GCC would otherwise take malloc() and free() for a mismatch with new and delete.
[[gnu::noinline]] void operator delete(void* p) noexcept {
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace stackle {
namespace {

// Forwards every operation and counts them.
class CountingWindowSystem final : public WindowSystem {
 public:
  explicit CountingWindowSystem(WindowSystem& inner) : inner_(inner) {}
  std::size_t calls = 0;

  void VisitTopLevelWindows(const std::function<bool(WindowRef)>& visit) override {
    ++calls, inner_.VisitTopLevelWindows(visit);
  }
  WindowRef BottomWindow(WindowRef any) override { return ++calls, inner_.BottomWindow(any); }
  Text Title(WindowRef w) override { return ++calls, inner_.Title(w); }
  Text ClassName(WindowRef w) override { return ++calls, inner_.ClassName(w); }
  bool IsTopMost(WindowRef w) override { return ++calls, inner_.IsTopMost(w); }
  ShowState ShowStateOf(WindowRef w) override { return ++calls, inner_.ShowStateOf(w); }
  bool Exists(WindowRef w) override { return ++calls, inner_.Exists(w); }
  bool Place(WindowRef w, InsertAfter where, bool activate) override {
    return ++calls, inner_.Place(w, where, activate);
  }
  bool Show(WindowRef w, ShowCommand command) override { return ++calls, inner_.Show(w, command); }
  bool TakeDeferredChanges() override { return ++calls, inner_.TakeDeferredChanges(); }
  bool BringToForeground(WindowRef w) override { return ++calls, inner_.BringToForeground(w); }
  bool BringToForegroundSharingInput(WindowRef w) override {
    return ++calls, inner_.BringToForegroundSharingInput(w);
  }
  bool IsModifierKeyDown() override { return ++calls, inner_.IsModifierKeyDown(); }
  WindowRef ForegroundWindow() override { return ++calls, inner_.ForegroundWindow(); }
  WindowRef LastActivePopup(WindowRef w) override { return ++calls, inner_.LastActivePopup(w); }
  std::uint32_t CloakOf(WindowRef w) override { return ++calls, inner_.CloakOf(w); }
  std::vector<WindowRef> Children(WindowRef w) override { return ++calls, inner_.Children(w); }
  WindowRef ShellWindow() override { return ++calls, inner_.ShellWindow(); }
  WindowRef Owner(WindowRef w) override { return ++calls, inner_.Owner(w); }
  std::optional<bool> IsOnVirtualDesktop(WindowRef w) override {
    return ++calls, inner_.IsOnVirtualDesktop(w);
  }
  void RequestClose(WindowRef w, const std::function<bool()>& stop) override {
    ++calls, inner_.RequestClose(w, stop);
  }
  void SetMark(WindowRef w, WindowMark mark, std::uintptr_t value) override {
    ++calls, inner_.SetMark(w, mark, value);
  }
  std::uintptr_t MarkOf(WindowRef w, WindowMark mark) override {
    return ++calls, inner_.MarkOf(w, mark);
  }
  bool MarksMayRemain(WindowMark mark) override { return ++calls, inner_.MarksMayRemain(mark); }
  Layering LayeringOf(WindowRef w) override { return ++calls, inner_.LayeringOf(w); }
  bool SetLayering(WindowRef w, const Layering& l) override {
    return ++calls, inner_.SetLayering(w, l);
  }
  std::optional<Point> CursorPosition() override { return ++calls, inner_.CursorPosition(); }
  WindowRef WindowAt(Point p) override { return ++calls, inner_.WindowAt(p); }
  WindowRef Parent(WindowRef w) override { return ++calls, inner_.Parent(w); }
  std::optional<Rect> WindowRect(WindowRef w) override { return ++calls, inner_.WindowRect(w); }
  void MoveWindow(WindowRef w, const Rect& r) override { ++calls, inner_.MoveWindow(w, r); }
  bool AnyMonitorShows(const Rect& r) override { return ++calls, inner_.AnyMonitorShows(r); }
  Rect NearestWorkArea(const Rect& r) override { return ++calls, inner_.NearestWorkArea(r); }
  ProcessId ProcessOf(WindowRef w) override { return ++calls, inner_.ProcessOf(w); }
  Text ProgramPath(ProcessId p) override { return ++calls, inner_.ProgramPath(p); }
  void SetProcessPriority(ProcessId p, PriorityClass c) override {
    ++calls, inner_.SetProcessPriority(p, c);
  }
  std::optional<std::uint32_t> ProcessPriority(ProcessId p) override {
    return ++calls, inner_.ProcessPriority(p);
  }
  ProcessId OwnProcess() override { return ++calls, inner_.OwnProcess(); }

 private:
  WindowSystem& inner_;
};

// The Wine benchmark's desktop: a tenth of the windows visible and titled, the rest hidden
// helper windows, over ten processes, some always-on-top, minimized or folder windows; one
// marker that the last exclusion entry matches. Stackle's dialog sits on top.
struct Desktop {
  sim::SimWindowSystem windows;
  WindowRef own = kNoWindow;
  ExclusionList exclusions;

  Desktop(int count, int exclusion_count) {
    ProcessId processes[10];
    for (ProcessId& p : processes)
      p = windows.AddProcess();
    for (int g = 0; g < count; ++g) {
      const int v = g / 10;
      const bool shown = v % 10 == g % 10;
      const std::string title = shown ? "Bench window " + std::to_string(v) + " of process " +
                                            std::to_string(g % 10) + (v % 13 == 9 ? " [x]" : "")
                                      : "Hidden helper " + std::to_string(g);
      windows.AddWindow({.title = Text(title.begin(), title.end()),
                         .class_name = shown && v % 11 == 6 ? u"CabinetWClass" : u"BenchWindow",
                         .process = processes[g % 10],
                         .visible = shown,
                         .minimized = shown && v % 5 == 3,
                         .topmost = shown && (v % 10 < 3 || v % 7 == 4)});
    }
    own = windows.AddWindow({.title = u"Stackle",
                             .class_name = u"#32770",
                             .process = windows.OwnProcess(),
                             .topmost = true});
    std::vector<Text> entries;
    for (int i = 0; i + 1 < exclusion_count; ++i) {
      const std::string entry = "Absent entry " + std::to_string(i);
      entries.emplace_back(entry.begin(), entry.end());
    }
    if (exclusion_count > 0) entries.emplace_back(u"[x]");
    exclusions.Replace(std::move(entries));
  }
};

void CountWalk(benchmark::State& state, Desktop& desktop) {
  CountingWindowSystem counting(desktop.windows);
  const std::size_t before = allocations;
  const std::size_t listed = WalkWindowList(counting, desktop.own, desktop.exclusions).size();
  const std::size_t allocated = allocations - before;
  state.counters["listed"] = static_cast<double>(listed);
  state.counters["calls"] = static_cast<double>(counting.calls);
  state.counters["allocs"] = static_cast<double>(allocated);
}

void Walk(benchmark::State& state, int count, int exclusion_count) {
  Desktop desktop(count, exclusion_count);
  CountWalk(state, desktop);
  for (auto _ : state) {
    benchmark::DoNotOptimize(WalkWindowList(desktop.windows, desktop.own, desktop.exclusions));
  }
  state.counters["per_window"] = benchmark::Counter(
      count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetComplexityN(count);
}

// Growth in N at E = 100.
void BM_WalkWindows(benchmark::State& state) {
  Walk(state, static_cast<int>(state.range(0)), 100);
}
BENCHMARK(BM_WalkWindows)
    ->Arg(1250)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// Growth in E at N = 10,000.
void BM_WalkExclusions(benchmark::State& state) {
  Walk(state, 10000, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_WalkExclusions)
    ->Arg(0)
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);

// A mouse-follow tick whose window under the cursor is the one followed last.
void BM_MouseFollowTickUnchanged(benchmark::State& state) {
  Desktop desktop(1000, 0);
  sim::SimWindowSystem& windows = desktop.windows;
  const WindowRef target = windows.AddWindow(
      {.title = u"Target", .process = windows.AddProcess(), .rect = {900, 400, 1200, 700}});
  windows.AddChild(target, {900, 420, 1200, 700});
  windows.cursor = Point{1000, 500};
  CountingWindowSystem counting(windows);
  sim::SimDialog dialog(windows);
  sim::SimFiles files;
  CLayerDialog layer({counting, dialog, dialog.list, dialog.tray, dialog.hotkeys, dialog.commands,
                      dialog.events, files});
  dialog.Open(layer);
  const Message tick{kWmTimer, 1, 0};
  dialog.Send(tick);  // follows the target once

  counting.calls = 0;
  const std::size_t before = allocations;
  dialog.Send(tick);
  const std::size_t allocated = allocations - before;
  state.counters["calls"] = static_cast<double>(counting.calls);
  state.counters["allocs"] = static_cast<double>(allocated);
  for (auto _ : state)
    dialog.Send(tick);
}
BENCHMARK(BM_MouseFollowTickUnchanged);

}  // namespace
}  // namespace stackle

BENCHMARK_MAIN();
