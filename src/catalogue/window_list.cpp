#include "catalogue/window_list.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace stackle {

ProcessId ProgramOf(WindowSystem& windows, WindowRef window, const Text& class_name) {
  const ProcessId own = windows.ProcessOf(window);
  if (class_name != kStoreFrameClass) return own;
  for (WindowRef child : windows.Children(window)) {
    const ProcessId process = windows.ProcessOf(child);
    if (process != 0 && process != own) return process;
  }
  return own;  // a minimized frame holds none
}

ProcessId ProgramOf(WindowSystem& windows, WindowRef window) {
  return ProgramOf(windows, window, windows.ClassName(window));
}

namespace {

void SetProgramPriority(WindowSystem& windows, WindowRef window, const Text& class_name,
                        PriorityClass priority) {
  if (const ProcessId process = ProgramOf(windows, window, class_name)) {
    windows.SetProcessPriority(process, priority);
  }
}

}  // namespace

void SetWindowProcessPriority(WindowSystem& windows, WindowRef window, PriorityClass priority) {
  SetProgramPriority(windows, window, windows.ClassName(window), priority);
}

void SetHiddenWindowPriority(WindowSystem& windows, WindowRef window, PriorityClass priority) {
  const Text class_name = windows.ClassName(window);
  if (class_name != kFolderWindowClass) SetProgramPriority(windows, window, class_name, priority);
}

namespace {

// The label of a listed window: its prefixes, then its title, built in one allocation at most.
Text Label(Text title, bool minimized, bool topmost, bool folder) {
  const std::u16string_view prefixes[] = {minimized ? kMinimizedPrefix : u"",
                                          topmost ? kTopMostPrefix : u"",
                                          folder ? kFolderPrefix : u""};
  std::size_t length = 0;
  for (std::u16string_view prefix : prefixes)
    length += prefix.size();
  if (length == 0) return title;
  Text label;
  label.reserve(length + title.size());
  for (std::u16string_view prefix : prefixes)
    label += prefix;
  label += title;
  return label;
}

// Sets each process once, to the class the last of its listed windows gives it: the same end
// as setting it for every window in walk order, for a fraction of the calls.
void SetFinalPriorities(WindowSystem& windows,
                        std::vector<std::pair<ProcessId, PriorityClass>>& in_walk_order) {
  std::stable_sort(in_walk_order.begin(), in_walk_order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < in_walk_order.size(); ++i) {
    if (i + 1 == in_walk_order.size() || in_walk_order[i + 1].first != in_walk_order[i].first) {
      windows.SetProcessPriority(in_walk_order[i].first, in_walk_order[i].second);
    }
  }
}

}  // namespace

std::vector<WindowListEntry> WalkWindowList(WindowSystem& windows, WindowRef own_dialog,
                                            const ExclusionList& exclusions) {
  // A desktop cannot hold more windows than this; the bound only guards against a Z-order
  // that keeps changing under the walk.
  constexpr std::size_t kMaxSteps = std::size_t{1} << 20;

  std::vector<WindowListEntry> entries;
  std::vector<std::pair<ProcessId, PriorityClass>> priorities;
  const WindowRef last = windows.BottomWindow(own_dialog);
  WindowRef w = windows.WindowAbove(own_dialog);
  if (w == kNoWindow) w = windows.TopWindow();

  for (std::size_t step = 0; w != kNoWindow && w != last && step < kMaxSteps;
       ++step, w = windows.WindowBelow(w)) {
    // Most top-level windows are hidden: asking that first spares them the title read.
    if (w == own_dialog || !windows.IsVisible(w)) continue;
    Text title = windows.Title(w);
    if (title.empty() || exclusions.Excludes(title)) continue;

    const Text class_name = windows.ClassName(w);
    // Visible to the system, yet not on the screen: a Store app never started, a shell
    // surface. A window on another virtual desktop (cloaked by the shell) stays listed.
    if (class_name == kCoreWindowClass ||
        (windows.CloakOf(w) & (kCloakedByApp | kCloakedByOwner)) != 0) {
      continue;
    }
    const bool folder = class_name == kFolderWindowClass;
    const bool topmost = windows.IsTopMost(w);
    if (const ProcessId process = ProgramOf(windows, w, class_name)) {
      priorities.emplace_back(process,
                              topmost && !folder ? PriorityClass::kHigh : PriorityClass::kNormal);
    }
    entries.push_back({Label(std::move(title), windows.IsMinimized(w), topmost, folder), w});
  }
  SetFinalPriorities(windows, priorities);
  return entries;
}

}  // namespace stackle
