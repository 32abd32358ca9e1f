// The window list: the visible, titled top-level windows in Z-order, with the priority policy
// that every rebuild applies to their processes.
#pragma once

#include <vector>

#include "catalogue/exclusion_list.h"
#include "catalogue/window_system.h"

namespace stackle {

inline constexpr char16_t kMinimizedPrefix[] = u"(Icon):";
inline constexpr char16_t kTopMostPrefix[] = u"(TopMost):";
inline constexpr char16_t kFolderPrefix[] = u"(Folda):";
inline constexpr char16_t kFolderWindowClass[] = u"CabinetWClass";

struct WindowListEntry {
  Text label;
  WindowRef window = kNoWindow;
  friend bool operator==(const WindowListEntry&, const WindowListEntry&) = default;
};

// Sets the priority class of the process that owns `window`; does nothing when the process
// cannot be opened.
void SetWindowProcessPriority(WindowSystem& windows, WindowRef window, PriorityClass priority);

// Walks the Z-order from the window directly above `own_dialog` (from the top when there is
// none) down to, but not including, the bottom-most window. Lists every visible, titled,
// not excluded window other than `own_dialog`, with the "(Icon):", "(TopMost):" and
// "(Folda):" prefixes. Leaves each listed window's process where setting it to normal
// priority, or to high for an always-on-top window that is not a folder window, in walk order
// would: each process is set once, after the walk. The walk ends early when the system yields
// no next window (one destroyed during the walk).
std::vector<WindowListEntry> WalkWindowList(WindowSystem& windows, WindowRef own_dialog,
                                            const ExclusionList& exclusions);

}  // namespace stackle
