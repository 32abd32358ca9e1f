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

namespace {

// `shell_process` is 0 when no shell runs.
ProcessId ProgramOf(WindowSystem& windows, WindowRef window, const Text& class_name,
                    ProcessId shell_process) {
  const ProcessId own = windows.ProcessOf(window);
  if (own == shell_process) return 0;
  if (class_name != kStoreFrameClass) return own;
  for (WindowRef child : windows.Children(window)) {
    const ProcessId process = windows.ProcessOf(child);
    if (process != 0 && process != own) return process;
  }
  return 0;  // a minimized frame holds none; its own process hosts every Store app's frame
}

void SetProgramPriority(WindowSystem& windows, WindowRef window, const Text& class_name,
                        PriorityClass priority) {
  if (const ProcessId process = ProgramOf(windows, window, class_name)) {
    windows.SetProcessPriority(process, priority);
  }
}

// The shell cloaks the windows of another virtual desktop, and a Store app it started ahead of
// use, which is on none; an owned window is on its owner's desktop. When the system cannot
// say, the window counts as on one.
bool IsStartedAheadOfUse(WindowSystem& windows, WindowRef window) {
  for (int depth = 0; window != kNoWindow && depth < 64; ++depth, window = windows.Owner(window)) {
    const auto on_desktop = windows.IsOnVirtualDesktop(window);
    if (!on_desktop || *on_desktop) return false;
  }
  return window == kNoWindow;
}

// The windows a walk never lists, whatever they show, and the shell's process, which stands for
// no program.
struct Unlisted {
  WindowRef own_dialog;
  WindowRef shell_window;
  ProcessId shell_process;
  const ExclusionList& exclusions;
};

std::optional<ListedWindow> ReadListing(WindowSystem& windows, WindowRef w,
                                        const Unlisted& unlisted) {
  if (w == unlisted.own_dialog || w == unlisted.shell_window) return std::nullopt;
  // Most top-level windows are hidden: asking that first spares them the title read.
  const ShowState shown = windows.ShowStateOf(w);
  if (!shown.visible) return std::nullopt;
  Text title = windows.Title(w);
  if (title.empty() || unlisted.exclusions.Excludes(title)) return std::nullopt;
  Text class_name = windows.ClassName(w);
  // Visible to the system, yet not on the screen: a Store app never started or started ahead
  // of use, a shell surface. A window on another virtual desktop stays listed.
  if (class_name == kCoreWindowClass) return std::nullopt;
  const std::uint32_t cloak = windows.CloakOf(w);
  if ((cloak & (kCloakedByApp | kCloakedByOwner)) != 0 ||
      ((cloak & kCloakedByShell) != 0 && IsStartedAheadOfUse(windows, w))) {
    return std::nullopt;
  }
  const ProcessId program = ProgramOf(windows, w, class_name, unlisted.shell_process);
  return ListedWindow{.title = std::move(title),
                      .window = w,
                      .minimized = shown.minimized,
                      .topmost = windows.IsTopMost(w),
                      .folder = class_name == kFolderWindowClass,
                      .class_name = std::move(class_name),
                      .program = program};
}

Unlisted UnlistedOf(WindowSystem& windows, WindowRef own_dialog, const ExclusionList& exclusions) {
  const WindowRef shell = windows.ShellWindow();
  return {own_dialog, shell, windows.ProcessOf(shell), exclusions};
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

// Calls `visit` with each top-level window a walk of the list looks at, top first, until it
// returns false: from the window directly above `own_dialog` (from the top when nothing lies
// above it) down to, but not including, the bottom-most window. The windows above the own
// dialog wait until it is found, when only the one directly above it still counts.
void VisitWindowsToList(WindowSystem& windows, WindowRef own_dialog,
                        const std::function<bool(WindowRef)>& visit) {
  const WindowRef bottom = windows.BottomWindow(own_dialog);
  std::vector<WindowRef> above_own;
  bool own_found = false;
  windows.VisitTopLevelWindows([&](WindowRef w) {
    if (w == bottom) return false;
    if (own_found) return visit(w);
    if (w != own_dialog) return above_own.push_back(w), true;
    own_found = true;
    return above_own.empty() || visit(above_own.back());
  });
  if (own_found) return;
  for (WindowRef w : above_own) {
    if (!visit(w)) return;
  }
}

}  // namespace

ProcessId ProgramOf(WindowSystem& windows, WindowRef window, const Text& class_name) {
  return ProgramOf(windows, window, class_name, windows.ProcessOf(windows.ShellWindow()));
}

ProcessId ProgramOf(WindowSystem& windows, WindowRef window) {
  return ProgramOf(windows, window, windows.ClassName(window));
}

void SetWindowProcessPriority(WindowSystem& windows, WindowRef window, PriorityClass priority) {
  SetProgramPriority(windows, window, windows.ClassName(window), priority);
}

void SetHiddenWindowPriority(WindowSystem& windows, WindowRef window, PriorityClass priority) {
  const Text class_name = windows.ClassName(window);
  if (class_name != kFolderWindowClass) SetProgramPriority(windows, window, class_name, priority);
}

std::optional<ListedWindow> ListingOf(WindowSystem& windows, WindowRef window, WindowRef own_dialog,
                                      const ExclusionList& exclusions) {
  return ReadListing(windows, window, UnlistedOf(windows, own_dialog, exclusions));
}

std::vector<ListedWindow> WalkWindowList(WindowSystem& windows, WindowRef own_dialog,
                                         const ExclusionList& exclusions) {
  std::vector<ListedWindow> listed;
  const Unlisted unlisted = UnlistedOf(windows, own_dialog, exclusions);
  VisitWindowsToList(windows, own_dialog, [&](WindowRef w) {
    if (auto listing = ReadListing(windows, w, unlisted)) listed.push_back(std::move(*listing));
    return true;
  });
  return listed;
}

void ApplyPriorityPolicy(WindowSystem& windows, const std::vector<ListedWindow>& listed,
                         const FixedPriorities& fixed) {
  std::vector<std::pair<ProcessId, PriorityClass>> priorities;
  for (const ListedWindow& w : listed) {
    if (w.hidden || w.program == 0) continue;
    const auto rule = fixed.find(w.program);
    priorities.emplace_back(w.program, rule != fixed.end()      ? rule->second
                                       : w.topmost && !w.folder ? PriorityClass::kHigh
                                                                : PriorityClass::kNormal);
  }
  SetFinalPriorities(windows, priorities);
}

WindowRef FindListedWindow(WindowSystem& windows, WindowRef own_dialog,
                           const ExclusionList& exclusions,
                           const std::function<bool(const ListedWindow&)>& matches) {
  const Unlisted unlisted = UnlistedOf(windows, own_dialog, exclusions);
  WindowRef found = kNoWindow;
  VisitWindowsToList(windows, own_dialog, [&](WindowRef w) {
    const auto listing = ReadListing(windows, w, unlisted);
    if (!listing || !matches(*listing)) return true;
    found = w;
    return false;
  });
  return found;
}

}  // namespace stackle
