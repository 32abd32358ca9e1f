// The window list: the visible, titled top-level windows in Z-order, with the priority policy
// that every rebuild applies to their processes.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "catalogue/exclusion_list.h"
#include "core/window_system.h"

namespace stackle {

inline constexpr char16_t kMinimizedPrefix[] = u"(Icon):";
inline constexpr char16_t kTopMostPrefix[] = u"(TopMost):";
inline constexpr char16_t kFolderPrefix[] = u"(Folda):";
inline constexpr char16_t kHiddenPrefix[] = u"(Hide):";
// What Stackle says when a listed window refused a command: in the caption, until the next
// selection or refresh, and to a command process.
inline constexpr char16_t kRefusedNotice[] =
    u"操作できません: 管理者として実行中か、応答していないプログラムです";
// What Stackle says of a window that draws its own transparency: an alpha set on it would
// break its drawing.
inline constexpr char16_t kDrawsItselfNotice[] =
    u"不透明度を変更できません: このウインドウは自分で透明度を描いています";
// ... and of the shell's windows (the desktop, the task bar, folder windows) and its own.
inline constexpr char16_t kKeepsOpacityNotice[] =
    u"不透明度を変更できません: シェルと Stackle のウインドウはそのままにします";
inline constexpr char16_t kFolderWindowClass[] = u"CabinetWClass";
// The frame every Store app's window lives in; the app's own window is its child.
inline constexpr char16_t kStoreFrameClass[] = u"ApplicationFrameWindow";
// Shell surfaces and Store apps' inner windows that show at top level (search, start).
inline constexpr char16_t kCoreWindowClass[] = u"Windows.UI.Core.CoreWindow";

// One window of the list: a window the walk found, or one Stackle hid.
struct ListedWindow {
  Text title;  // for a hidden window, as it was just after Stackle hid it
  WindowRef window = kNoWindow;
  bool minimized = false;
  bool topmost = false;
  bool folder = false;
  bool hidden = false;
  Text class_name = {};   // as the walk read it; empty for a hidden window
  ProcessId program = 0;  // ProgramOf the window; 0 for a hidden window
  friend bool operator==(const ListedWindow&, const ListedWindow&) = default;
};

// Programs whose class a rule sets, which replaces the refresh's policy for them.
using FixedPriorities = std::map<ProcessId, PriorityClass>;

// "(Hide):" and the title for a hidden window; otherwise the title behind "(Icon):",
// "(TopMost):" and "(Folda):", each where it applies, in that order.
Text Label(const ListedWindow& listed);

// The program a window stands for: its process, or for a Store app's frame (whose process
// hosts every Store app's frame) the process of its first child window from another process.
// None (0) for a frame that holds no app (a minimized one), and for every window of the shell's
// process, which runs the task bar, start and the desktop: their priority is never changed.
ProcessId ProgramOf(WindowSystem& windows, WindowRef window, const Text& class_name);
ProcessId ProgramOf(WindowSystem& windows, WindowRef window);

// Sets the priority class of the program `window` stands for; does nothing when its process
// cannot be opened.
void SetWindowProcessPriority(WindowSystem& windows, WindowRef window, PriorityClass priority);
// The same for a window Stackle hides or shows again, except that a folder window's process
// (the shell: task bar, start, desktop) is left as it is.
void SetHiddenWindowPriority(WindowSystem& windows, WindowRef window, PriorityClass priority);

// How the list shows `window`, or nothing when the list leaves it out: `own_dialog`, the
// shell's desktop window, and every window that is hidden, untitled, excluded, cloaked for its
// app or through its owner, a top-level core window, or cloaked by the shell and on no virtual
// desktop, nor owned by a window on one (a Store app started ahead of use).
std::optional<ListedWindow> ListingOf(WindowSystem& windows, WindowRef window, WindowRef own_dialog,
                                      const ExclusionList& exclusions);

// Lists, in Z-order, each window ListingOf lists from the window directly above `own_dialog`
// (from the top when there is none) down to, but not including, the bottom-most window.
std::vector<ListedWindow> WalkWindowList(WindowSystem& windows, WindowRef own_dialog,
                                         const ExclusionList& exclusions);
// The priority policy of every rebuild: leaves each listed program where setting it to normal
// priority, or to high for an always-on-top window that is not a folder window, in list order
// would, or at the class `fixed` gives it. Each program is set once.
void ApplyPriorityPolicy(WindowSystem& windows, const std::vector<ListedWindow>& listed,
                         const FixedPriorities& fixed);

// The first window WalkWindowList would list whose listing `matches`, found without looking at
// the windows below it and without setting any priority; kNoWindow when there is none.
WindowRef FindListedWindow(WindowSystem& windows, WindowRef own_dialog,
                           const ExclusionList& exclusions,
                           const std::function<bool(const ListedWindow&)>& matches);

}  // namespace stackle
