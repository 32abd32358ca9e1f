// The window list: the visible, titled top-level windows in Z-order, with the priority policy
// that every rebuild applies to their processes.
#pragma once

#include <cstddef>
#include <functional>
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
  friend bool operator==(const ListedWindow&, const ListedWindow&) = default;
};

// "(Hide):" and the title for a hidden window; otherwise the title behind "(Icon):",
// "(TopMost):" and "(Folda):", each where it applies, in that order.
Text Label(const ListedWindow& listed);

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

// How the list shows `window`, or nothing when the list leaves it out: `own_dialog`, and every
// window that is hidden, untitled, excluded, cloaked for its app or through its owner, or a
// top-level core window.
std::optional<ListedWindow> ListingOf(WindowSystem& windows, WindowRef window, WindowRef own_dialog,
                                      const ExclusionList& exclusions);

// The first top-level window from `first` down to, but not including, `stop` or the end of the
// Z-order that `found` takes; kNoWindow when none does. The walk ends early when the system
// yields no next window (one destroyed during the walk); a bound guards against a Z-order that
// keeps changing under it.
template <typename Found>
WindowRef FindInZOrder(WindowSystem& windows, WindowRef first, WindowRef stop, Found found) {
  constexpr std::size_t kMaxSteps = std::size_t{1} << 20;  // more than a desktop can hold
  for (std::size_t step = 0; first != kNoWindow && first != stop && step < kMaxSteps;
       ++step, first = windows.WindowBelow(first)) {
    if (found(first)) return first;
  }
  return kNoWindow;
}

// Calls `visit` for each window FindInZOrder would look at.
template <typename Visit>
void WalkZOrder(WindowSystem& windows, WindowRef first, WindowRef stop, Visit visit) {
  FindInZOrder(windows, first, stop, [&](WindowRef w) { return visit(w), false; });
}

// Lists, in Z-order, each window ListingOf lists from the window directly above `own_dialog`
// (from the top when there is none) down to, but not including, the bottom-most window.
// Leaves each listed window's process where setting it to normal priority, or to high for an
// always-on-top window that is not a folder window, in walk order would: each process is set
// once, after the walk.
std::vector<ListedWindow> WalkWindowList(WindowSystem& windows, WindowRef own_dialog,
                                         const ExclusionList& exclusions);

// The first window WalkWindowList would list whose listing `matches`, found without looking at
// the windows below it and without setting any priority; kNoWindow when there is none.
WindowRef FindListedWindow(WindowSystem& windows, WindowRef own_dialog,
                           const ExclusionList& exclusions,
                           const std::function<bool(const ListedWindow&)>& matches);

}  // namespace stackle
