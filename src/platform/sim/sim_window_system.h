// A model of the window system for native tests: top-level windows in one Z-order with the
// always-on-top band above the rest, processes with priority classes, some of which refuse
// to be opened.
#pragma once

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include "core/window_system.h"

namespace stackle::sim {

struct WindowSpec {
  Text title;
  Text class_name = u"SimWindow";
  ProcessId process = 0;
  bool visible = true;
  bool minimized = false;
  bool maximized = false;
  bool topmost = false;
  bool closes = true;       // false: its program asks its user, who says no, or hangs
  bool refuses = false;     // refuses every change: a program run as administrator
  std::uint32_t cloak = 0;  // kCloakedBy* bits
  // On a virtual desktop; false: a Store app started ahead of use; nothing: Windows cannot say.
  std::optional<bool> on_desktop = true;
  // A pop-up's owner, which the pop-up reports as its parent.
  WindowRef owner = kNoWindow;
  Rect rect{100, 100, 400, 300};
  // Layered by its program; not readable: it draws itself through UpdateLayeredWindow.
  Layering layering = {};
  bool operator==(const WindowSpec&) const = default;
};

struct SimWindow : WindowSpec {
  WindowRef handle = kNoWindow;
  std::map<WindowMark, std::uintptr_t> marks;
  // Set for a child window (a control); children are not in the Z-order.
  WindowRef parent = kNoWindow;
  // Its program is busy: a change asked of the window is made at CatchUp.
  bool busy = false;
  bool operator==(const SimWindow&) const = default;
};

class SimWindowSystem final : public WindowSystem {
 public:
  SimWindowSystem();

  // A process at normal priority, running C:\Programs\<program>; `refuses_open` makes every
  // priority call on it fail.
  ProcessId AddProcess(bool refuses_open = false, const Text& program = u"");
  // Opens a window at the top of its band.
  WindowRef AddWindow(WindowSpec spec);
  // A control inside `parent`, at a rectangle in screen coordinates; of another process if
  // `process` is given.
  WindowRef AddChild(WindowRef parent, Rect rect, ProcessId process = 0);
  void DestroyWindow(WindowRef window);
  SimWindow& Get(WindowRef window) { return windows_.at(window); }
  // Top to bottom.
  const std::vector<WindowRef>& ZOrder() const { return z_order_; }
  // The windows of every process but Stackle's own, top first.
  std::vector<WindowRef> OthersWindows() const {
    std::vector<WindowRef> others;
    std::ranges::copy_if(z_order_, std::back_inserter(others),
                         [&](WindowRef w) { return windows_.at(w).process != own_process_; });
    return others;
  }
  std::uint32_t PriorityOf(ProcessId process) const { return processes_.at(process).priority; }
  // Sets a class directly, as another program would, bypassing refusals.
  void ForcePriority(ProcessId process, std::uint32_t priority);
  WindowRef shell_window = kNoWindow;  // the shell's desktop window
  // The next this many requests to bring a window forward are refused; one sharing the
  // foreground window's input (counted) gets past that unless `lock_refuses_sharing`.
  int foreground_lock = 0;
  // Gives a window a new title, as its program does.
  void Retitle(WindowRef window, const Text& title) {
    Get(window).title = title;
    if (announce) announce(window);
  }
  // Told of every top-level window of another process that is created, shown, hidden, retitled
  // or destroyed, as Windows announces them to a window-event hook.
  std::function<void(WindowRef)> announce;
  // How often another process's window came into view: made visible, or shown when hidden.
  int appearances = 0;
  bool lock_refuses_sharing = false;
  int inputs_shared = 0;
  bool modifier_down = false;
  // Called once the top-level windows are listed, to model other programs acting during a walk.
  std::function<void()> after_listing;
  // Called while Stackle waits for a window's program: a close request, or a change of show
  // state. Stackle's thread answers what is sent to it meanwhile.
  std::function<void(WindowRef)> while_waiting;
  std::optional<Point> cursor = Point{};
  // Monitors and their work areas (the part the task bar leaves free).
  std::vector<std::pair<Rect, Rect>> monitors = {{{0, 0, 1280, 800}, {0, 0, 1280, 760}}};

  void VisitTopLevelWindows(const std::function<bool(WindowRef)>& visit) override;
  WindowRef BottomWindow(WindowRef any) override;
  Text Title(WindowRef w) override { return Find(w) ? Find(w)->title : Text(); }
  Text ClassName(WindowRef w) override { return Find(w) ? Find(w)->class_name : Text(); }
  bool IsTopMost(WindowRef w) override { return Find(w) && Find(w)->topmost; }
  ShowState ShowStateOf(WindowRef w) override {
    const SimWindow* s = Find(w);
    return s ? ShowState{s->visible, s->minimized, s->maximized} : ShowState{};
  }
  bool Exists(WindowRef w) override { return Find(w) != nullptr; }
  bool Place(WindowRef window, InsertAfter where, bool activate) override;
  bool Show(WindowRef window, ShowCommand command) override;
  bool TakeDeferredChanges() override { return std::exchange(deferred_, false); }
  // A busy program gets to the changes asked of its windows.
  void CatchUp();
  bool BringToForeground(WindowRef w) override {
    if (foreground_lock > 0) return --foreground_lock, false;
    if (Find(w)) foreground_ = w;
    return Find(w) != nullptr;
  }
  bool BringToForegroundSharingInput(WindowRef w) override {
    ++inputs_shared;
    if (lock_refuses_sharing || !Find(w)) return false;
    foreground_ = w;
    return true;
  }
  bool IsModifierKeyDown() override { return modifier_down; }
  WindowRef ForegroundWindow() override { return foreground_; }
  // Which of its pop-ups a window had active last is the real program's to show.
  WindowRef LastActivePopup(WindowRef owner) override { return owner; }
  std::uint32_t CloakOf(WindowRef w) override { return Find(w) ? Find(w)->cloak : 0; }
  std::vector<WindowRef> Children(WindowRef window) override;
  WindowRef ShellWindow() override { return shell_window; }
  WindowRef Owner(WindowRef w) override { return Find(w) ? Find(w)->owner : kNoWindow; }
  std::optional<bool> IsOnVirtualDesktop(WindowRef w) override {
    return Find(w) ? Find(w)->on_desktop : std::nullopt;
  }
  // The wait is over at once: the program either closed the window or did not.
  void RequestClose(WindowRef window, const std::function<bool()>& stop_waiting) override;
  void SetMark(WindowRef w, WindowMark mark, std::uintptr_t value) override {
    if (!Find(w) || Find(w)->refuses) return;
    if (value) {
      Find(w)->marks[mark] = value;
    } else {
      Find(w)->marks.erase(mark);
    }
  }
  Layering LayeringOf(WindowRef w) override {
    if (!Find(w) || !Find(w)->layering.layered) return {};
    Layering layering = Find(w)->layering;
    if (!layering.readable) return {.layered = true};
    return layering;
  }
  bool SetLayering(WindowRef w, const Layering& layering) override {
    if (!Find(w) || Find(w)->refuses) return false;
    Find(w)->layering = layering.layered ? layering : Layering{};
    return true;
  }
  std::uintptr_t MarkOf(WindowRef w, WindowMark mark) override {
    return Find(w) && Find(w)->marks.contains(mark) ? Find(w)->marks.at(mark) : 0;
  }
  bool MarksMayRemain(WindowMark mark) override {
    return std::ranges::any_of(windows_,
                               [&](const auto& w) { return w.second.marks.contains(mark); });
  }
  std::optional<Point> CursorPosition() override { return cursor; }
  WindowRef WindowAt(Point screen) override;
  WindowRef Parent(WindowRef w) override {
    return !Find(w) ? kNoWindow : Find(w)->parent ? Find(w)->parent : Find(w)->owner;
  }
  std::optional<Rect> WindowRect(WindowRef w) override {
    return Find(w) ? std::optional(Find(w)->rect) : std::nullopt;
  }
  void MoveWindow(WindowRef window, const Rect& rect) override;
  bool AnyMonitorShows(const Rect& rect) override;
  Rect NearestWorkArea(const Rect& rect) override;
  // Called after a window was moved, as the window system reports a size change.
  std::function<void(WindowRef)> after_move;
  ProcessId ProcessOf(WindowRef w) override { return Find(w) ? Find(w)->process : 0; }
  Text ProgramPath(ProcessId process) override {
    return processes_.contains(process) ? processes_.at(process).path : Text();
  }
  void SetProcessPriority(ProcessId process, PriorityClass priority) override;
  std::optional<std::uint32_t> ProcessPriority(ProcessId process) override;
  ProcessId OwnProcess() override { return own_process_; }

 private:
  struct Process {
    std::uint32_t priority = static_cast<std::uint32_t>(PriorityClass::kNormal);
    bool refuses_open = false;
    Text path;
  };

  SimWindow* Find(WindowRef window) {
    const auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
  }
  std::ptrdiff_t IndexOf(WindowRef window) const;
  // Keeps `change` for CatchUp, made then if the window is still there.
  void Defer(WindowRef window, std::function<void(SimWindow&)> change);
  bool PlaceNow(SimWindow& w, InsertAfter where, bool activate);
  void ShowNow(SimWindow& w, ShowCommand command);
  // Index where a window of the given band enters at its top.
  std::size_t TopOfBand(bool topmost) const;
  void MoveTo(WindowRef window, std::size_t index);
  // `parent`'s deepest child under the point; `parent` itself when none is.
  WindowRef DeepestChildAt(WindowRef parent, Point screen) const;

  std::map<WindowRef, SimWindow> windows_;
  std::vector<WindowRef> z_order_;
  std::map<ProcessId, Process> processes_;
  ProcessId own_process_ = 0;
  WindowRef next_handle_ = 0x10010;
  ProcessId next_process_ = 100;
  WindowRef foreground_ = kNoWindow;
  // Changes asked of busy programs' windows, not made yet.
  std::vector<std::function<void()>> pending_;
  bool deferred_ = false;
};

}  // namespace stackle::sim
