// Mouse-follow: on each tick the window under the cursor is brought forward.
#pragma once

#include "catalogue/window_system.h"

namespace stackle {

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

}  // namespace stackle
