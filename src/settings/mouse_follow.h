// Mouse-follow ("X-Mose"): on each tick the window under the cursor is brought forward.
#pragma once

#include <cstdint>

#include "core/dialog_surface.h"
#include "core/window_system.h"

namespace stackle {

inline constexpr std::uint32_t kMouseFollowTimer = 1;

// The window a tick brings forward, or nothing: the parent of the window under the cursor
// (for a control directly in a top-level window, that window; for a pop-up, its owner),
// unless it is the window the last tick brought forward.
inline WindowRef FollowTarget(WindowSystem& windows, WindowRef last_followed) {
  const auto cursor = windows.CursorPosition();
  if (!cursor) return kNoWindow;
  const WindowRef under = windows.WindowAt(*cursor);
  if (under == kNoWindow) return kNoWindow;
  const WindowRef target = windows.Parent(under);
  if (target == kNoWindow || target == last_followed) return kNoWindow;
  return target;
}

// One tick: brings FollowTarget forward, and gives whether it came. When the foreground lock
// refuses, tries once more sharing the foreground window's input, but never while the user
// holds a modifier key, which that window would lose: the next tick tries again then. Refused
// once more, the window counts as followed, so that its task-bar button does not flash on
// every tick until the cursor rests on another.
inline bool FollowCursor(WindowSystem& windows, WindowRef& last_followed) {
  const WindowRef target = FollowTarget(windows, last_followed);
  if (target == kNoWindow) return false;
  if (!windows.BringToForeground(target)) {
    if (windows.IsModifierKeyDown()) return false;
    last_followed = target;
    return windows.BringToForegroundSharingInput(target);
  }
  last_followed = target;
  return true;
}

// The timer's interval in milliseconds, 0 for off, and the timer that ticks at it.
class MouseFollowTimer {
 public:
  explicit MouseFollowTimer(DialogSurface& dialog) : dialog_(dialog) {}

  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t interval) { interval_ = interval; }
  // Starts the timer, unless the interval is 0.
  void Start() {
    if (interval_ != 0) timer_id_ = dialog_.SetTimer(kMouseFollowTimer, interval_);
  }
  // Stops it; does nothing when none runs.
  void Stop() { dialog_.KillTimer(timer_id_); }
  void Restart() {
    Stop();
    Start();
  }

 private:
  DialogSurface& dialog_;
  std::uint32_t interval_ = 0;
  std::uint32_t timer_id_ = 0;
};

}  // namespace stackle
