#include "catalogue/window_list.h"

namespace stackle {

void SetWindowProcessPriority(WindowSystem& windows, WindowRef window, PriorityClass priority) {
  if (const ProcessId process = windows.ProcessOf(window)) {
    windows.SetProcessPriority(process, priority);
  }
}

std::vector<WindowListEntry> WalkWindowList(WindowSystem& windows, WindowRef own_dialog,
                                            const ExclusionList& exclusions) {
  // A desktop cannot hold more windows than this; the bound only guards against a Z-order
  // that keeps changing under the walk.
  constexpr std::size_t kMaxSteps = std::size_t{1} << 20;

  std::vector<WindowListEntry> entries;
  const WindowRef last = windows.BottomWindow(own_dialog);
  WindowRef w = windows.WindowAbove(own_dialog);
  if (w == kNoWindow) w = windows.TopWindow();

  for (std::size_t step = 0; w != kNoWindow && w != last && step < kMaxSteps;
       ++step, w = windows.WindowBelow(w)) {
    Text title = windows.Title(w);
    if (title.empty() || exclusions.Excludes(title)) continue;
    if (!windows.IsVisible(w) || w == own_dialog) continue;

    SetWindowProcessPriority(windows, w, PriorityClass::kNormal);
    Text prefixes;
    const bool folder = windows.ClassName(w) == kFolderWindowClass;
    if (folder) prefixes = kFolderPrefix;
    if (windows.IsTopMost(w)) {
      prefixes.insert(0, kTopMostPrefix);
      if (!folder) SetWindowProcessPriority(windows, w, PriorityClass::kHigh);
    }
    if (windows.IsMinimized(w)) prefixes.insert(0, kMinimizedPrefix);
    entries.push_back({prefixes + title, w});
  }
  return entries;
}

}  // namespace stackle
