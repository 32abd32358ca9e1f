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
// What Stackle says when a listed window refused a command: in the caption, until the next
// selection or refresh, and to a command process.
inline constexpr char16_t kRefusedNotice[] =
    u"操作できません: 管理者として実行中か、応答していないプログラムです";
inline constexpr char16_t kFolderWindowClass[] = u"CabinetWClass";
// The frame every Store app's window lives in; the app's own window is its child.
inline constexpr char16_t kStoreFrameClass[] = u"ApplicationFrameWindow";
// Shell surfaces and Store apps' inner windows that show at top level (search, start).
inline constexpr char16_t kCoreWindowClass[] = u"Windows.UI.Core.CoreWindow";

struct WindowListEntry {
  Text label;
  WindowRef window = kNoWindow;
  friend bool operator==(const WindowListEntry&, const WindowListEntry&) = default;
};

// The program a window stands for: its process, or for a Store app's frame (whose process
// hosts every Store app's frame) the process of its first child window from another process.
ProcessId ProgramOf(WindowSystem& windows, WindowRef window, const Text& class_name);
ProcessId ProgramOf(WindowSystem& windows, WindowRef window);

// Sets the priority class of the program `window` stands for; does nothing when its process
// cannot be opened.
void SetWindowProcessPriority(WindowSystem& windows, WindowRef window, PriorityClass priority);
// The same for a window Stackle hides or shows again, except that a folder window's process
// (the shell: task bar, start, desktop) is left as it is.
void SetHiddenWindowPriority(WindowSystem& windows, WindowRef window, PriorityClass priority);

// Walks the Z-order from the window directly above `own_dialog` (from the top when there is
// none) down to, but not including, the bottom-most window. Lists every visible, titled,
// not excluded window other than `own_dialog`, except windows the window manager cloaks for
// their app or through their owner and top-level core windows, with the "(Icon):", "(TopMost):" and
// "(Folda):" prefixes. Leaves each listed window's process where setting it to normal
// priority, or to high for an always-on-top window that is not a folder window, in walk order
// would: each process is set once, after the walk. The walk ends early when the system yields
// no next window (one destroyed during the walk).
std::vector<WindowListEntry> WalkWindowList(WindowSystem& windows, WindowRef own_dialog,
                                            const ExclusionList& exclusions);

}  // namespace stackle
