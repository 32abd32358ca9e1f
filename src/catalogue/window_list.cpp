#include "catalogue/window_list.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace stackle {

Text Label(const ListedWindow& listed) {
  if (listed.hidden) return kHiddenPrefix + listed.title;
  const std::u16string_view prefixes[] = {listed.minimized ? kMinimizedPrefix : u"",
                                          listed.topmost ? kTopMostPrefix : u"",
                                          listed.folder ? kFolderPrefix : u""};
  Text label;
  label.reserve(prefixes[0].size() + prefixes[1].size() + prefixes[2].size() + listed.title.size());
  for (std::u16string_view prefix : prefixes)
    label += prefix;
  return label += listed.title;
}

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

// ListingOf, also giving the class name it read.
std::optional<ListedWindow> ReadListing(WindowSystem& windows, WindowRef w, WindowRef own_dialog,
                                        const ExclusionList& exclusions, Text& class_name) {
  // Most top-level windows are hidden: asking that first spares them the title read.
  if (w == own_dialog || !windows.IsVisible(w)) return std::nullopt;
  Text title = windows.Title(w);
  if (title.empty() || exclusions.Excludes(title)) return std::nullopt;
  class_name = windows.ClassName(w);
  // Visible to the system, yet not on the screen: a Store app never started, a shell
  // surface. A window on another virtual desktop (cloaked by the shell) stays listed.
  if (class_name == kCoreWindowClass ||
      (windows.CloakOf(w) & (kCloakedByApp | kCloakedByOwner)) != 0) {
    return std::nullopt;
  }
  return ListedWindow{.title = std::move(title),
                      .window = w,
                      .minimized = windows.IsMinimized(w),
                      .topmost = windows.IsTopMost(w),
                      .folder = class_name == kFolderWindowClass};
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

// Where the list starts: directly above the own dialog, or at the top when nothing lies above.
WindowRef ListStart(WindowSystem& windows, WindowRef own_dialog) {
  const WindowRef above = windows.WindowAbove(own_dialog);
  return above != kNoWindow ? above : windows.TopWindow();
}

}  // namespace

void SetWindowProcessPriority(WindowSystem& windows, WindowRef window, PriorityClass priority) {
  SetProgramPriority(windows, window, windows.ClassName(window), priority);
}

void SetHiddenWindowPriority(WindowSystem& windows, WindowRef window, PriorityClass priority) {
  const Text class_name = windows.ClassName(window);
  if (class_name != kFolderWindowClass) SetProgramPriority(windows, window, class_name, priority);
}

std::optional<ListedWindow> ListingOf(WindowSystem& windows, WindowRef window, WindowRef own_dialog,
                                      const ExclusionList& exclusions) {
  Text class_name;
  return ReadListing(windows, window, own_dialog, exclusions, class_name);
}

std::vector<ListedWindow> WalkWindowList(WindowSystem& windows, WindowRef own_dialog,
                                         const ExclusionList& exclusions) {
  std::vector<ListedWindow> listed;
  std::vector<std::pair<ProcessId, PriorityClass>> priorities;
  const WindowRef first = ListStart(windows, own_dialog);
  Text class_name;
  WalkZOrder(windows, first, windows.BottomWindow(own_dialog), [&](WindowRef w) {
    auto listing = ReadListing(windows, w, own_dialog, exclusions, class_name);
    if (!listing) return;
    if (const ProcessId process = ProgramOf(windows, w, class_name)) {
      priorities.emplace_back(process, listing->topmost && !listing->folder
                                           ? PriorityClass::kHigh
                                           : PriorityClass::kNormal);
    }
    listed.push_back(std::move(*listing));
  });
  SetFinalPriorities(windows, priorities);
  return listed;
}

WindowRef FindListedWindow(WindowSystem& windows, WindowRef own_dialog,
                           const ExclusionList& exclusions,
                           const std::function<bool(const ListedWindow&)>& matches) {
  const WindowRef first = ListStart(windows, own_dialog);
  Text class_name;
  return FindInZOrder(windows, first, windows.BottomWindow(own_dialog), [&](WindowRef w) {
    const auto listing = ReadListing(windows, w, own_dialog, exclusions, class_name);
    return listing && matches(*listing);
  });
}

}  // namespace stackle
