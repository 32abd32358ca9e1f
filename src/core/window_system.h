// The window-system port: everything Stackle does to other windows and processes.
// The Win32 adapter makes one system call per operation; the simulation keeps a model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/types.h"

namespace stackle {

// What a mark on a window records.
enum class WindowMark {
  kHidden,       // Stackle hid it
  kRulePinned,   // a rule made it always on top
  kTranslucent,  // Stackle made it translucent; the value holds what it was before
};
inline constexpr std::size_t kWindowMarkCount = 3;
static_assert(static_cast<std::size_t>(WindowMark::kTranslucent) + 1 == kWindowMarkCount);

// LWA_COLORKEY and LWA_ALPHA.
inline constexpr std::uint32_t kLayeredColorKey = 1, kLayeredAlpha = 2;

// How a top-level window shows.
struct ShowState {
  bool visible = false;
  bool minimized = false;
  bool maximized = false;
};

// A window's layering: whether it is a layered window, and its attributes when they can be
// read (a window that draws itself through UpdateLayeredWindow has none to read).
struct Layering {
  bool layered = false;
  bool readable = false;
  std::uint8_t alpha = 255;
  std::uint32_t color_key = 0;  // a COLORREF
  std::uint32_t flags = 0;      // kLayeredColorKey, kLayeredAlpha
  friend bool operator==(const Layering&, const Layering&) = default;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Calls `visit` with every top-level window, hidden ones included, from the top of the
  // Z-order down, until it returns false. The windows are listed at once, so that a walk never
  // loses its way when a window goes meanwhile.
  virtual void VisitTopLevelWindows(const std::function<bool(WindowRef)>& visit) = 0;
  std::vector<WindowRef> TopLevelWindows() {
    std::vector<WindowRef> windows;
    VisitTopLevelWindows([&](WindowRef w) { return windows.push_back(w), true; });
    return windows;
  }
  // The bottom-most top-level window; kNoWindow when there is none.
  virtual WindowRef BottomWindow(WindowRef any) = 0;

  virtual Text Title(WindowRef window) = 0;
  virtual Text ClassName(WindowRef window) = 0;
  virtual bool IsTopMost(WindowRef window) = 0;
  // Read at once; a window that is gone shows nothing.
  virtual ShowState ShowStateOf(WindowRef window) = 0;
  bool IsVisible(WindowRef window) { return ShowStateOf(window).visible; }
  bool IsMinimized(WindowRef window) { return ShowStateOf(window).minimized; }
  bool IsMaximized(WindowRef window) { return ShowStateOf(window).maximized; }
  virtual bool Exists(WindowRef window) = 0;
  // How the desktop window manager hides a window that is otherwise visible: a mask of
  // kCloakedBy* bits, 0 when it does not (or cannot say).
  virtual std::uint32_t CloakOf(WindowRef window) = 0;
  // A window's child windows, top first.
  virtual std::vector<WindowRef> Children(WindowRef window) = 0;
  // The shell's desktop window; the task bar, start and the desktop belong to its process.
  // kNoWindow when no shell runs.
  virtual WindowRef ShellWindow() = 0;
  // A top-level window's owner; kNoWindow when it has none.
  virtual WindowRef Owner(WindowRef window) = 0;
  // Whether a top-level window is on a virtual desktop, the current one or another: a Store
  // app the shell started ahead of use is on none. Nothing when the system cannot say.
  virtual std::optional<bool> IsOnVirtualDesktop(WindowRef window) = 0;

  // Position and size are kept. Activates the window unless `activate` is false. Each is false
  // when the system refused the change: a program run as administrator refuses a normal one.
  virtual bool Place(WindowRef window, InsertAfter where, bool activate) = 0;
  virtual bool Show(WindowRef window, ShowCommand command) = 0;
  // Whether Place or Show made a change since the last call without waiting for a program that
  // did not answer at once: the change lands when the program gets to it.
  virtual bool TakeDeferredChanges() = 0;
  // False when the system refused (the foreground lock); its task-bar button flashes then.
  virtual bool BringToForeground(WindowRef window) = 0;
  // The same, sharing the input state of the foreground window's thread for the moment of the
  // call, which gets past the lock; that thread forgets the keys it saw held down. False when
  // refused even so, and for a foreground window whose program has stopped responding.
  virtual bool BringToForegroundSharingInput(WindowRef window) = 0;
  // Whether the user holds Shift, Ctrl, Alt or a Windows key down.
  virtual bool IsModifierKeyDown() = 0;
  // The window the user works in; kNoWindow when there is none.
  virtual WindowRef ForegroundWindow() = 0;
  // Of `owner` and the windows it owns, the one that was active last: the one to bring forward
  // for a program that shows a dialog or a message box over its window.
  virtual WindowRef LastActivePopup(WindowRef owner) = 0;
  // Asks the window to close and waits until its program has handled the request, handling
  // Stackle's own messages meanwhile. Gives up when the program stops responding, or as soon
  // as `stop_waiting` says so (Stackle is asked to exit meanwhile).
  virtual void RequestClose(WindowRef window, const std::function<bool()>& stop_waiting) = 0;

  // A mark on the window itself, with a value: what Stackle did to it and must undo. It dies
  // with the window, so a reused handle never carries it, and it outlives Stackle if Stackle is
  // killed. A value of 0 is no mark.
  virtual void SetMark(WindowRef window, WindowMark mark, std::uintptr_t value) = 0;
  virtual std::uintptr_t MarkOf(WindowRef window, WindowMark mark) = 0;
  // Whether a window may carry `mark` from before this run (from a run that was killed): false
  // only when none can, which spares start-up a look at every window.
  virtual bool MarksMayRemain(WindowMark mark) = 0;

  virtual Layering LayeringOf(WindowRef window) = 0;
  // Gives the window the layered style or takes it away, as `layering` says, then, when it is
  // layered, its attributes. False when its program refused (run as administrator).
  virtual bool SetLayering(WindowRef window, const Layering& layering) = 0;

  virtual std::optional<Point> CursorPosition() = 0;
  // The window under a point on the screen, and a window's parent (or a pop-up's owner).
  virtual WindowRef WindowAt(Point screen) = 0;
  virtual WindowRef Parent(WindowRef window) = 0;

  // Screen rectangles. Moving repaints the window.
  virtual std::optional<Rect> WindowRect(WindowRef window) = 0;
  virtual void MoveWindow(WindowRef window, const Rect& rect) = 0;
  // Whether any monitor shows part of `rect`, and the work area of the monitor nearest it.
  virtual bool AnyMonitorShows(const Rect& rect) = 0;
  virtual Rect NearestWorkArea(const Rect& rect) = 0;

  // 0 when the window does not exist.
  virtual ProcessId ProcessOf(WindowRef window) = 0;
  // The full path of the process's program; empty when it cannot be read.
  virtual Text ProgramPath(ProcessId process) = 0;
  // Fails quietly when the process cannot be opened.
  virtual void SetProcessPriority(ProcessId process, PriorityClass priority) = 0;
  // Nothing when the process cannot be opened both to read and to set its class; 0 when it
  // opens but the class cannot be read.
  virtual std::optional<std::uint32_t> ProcessPriority(ProcessId process) = 0;
  virtual ProcessId OwnProcess() = 0;
};

}  // namespace stackle
