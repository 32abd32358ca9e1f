#include "catalogue/hidden_register.h"

#include <algorithm>

namespace stackle {

void HiddenRegister::Register(Text title, WindowRef window) {
  if (window == kNoWindow) return;
  windows_.SetHiddenMark(window, true);
  entries_.push_back({std::move(title), window});
}

void HiddenRegister::Prune() {
  // A window that no longer exists is not visible, so its entry stays until exit.
  std::erase_if(entries_, [this](const HiddenEntry& entry) {
    if (!windows_.IsVisible(entry.window)) return false;
    windows_.SetHiddenMark(entry.window, false);
    return true;
  });
}

std::vector<WindowListEntry> HiddenRegister::ListEntries() {
  std::vector<WindowListEntry> listed;
  listed.reserve(entries_.size());
  for (const HiddenEntry& entry : entries_) {
    listed.push_back({kHiddenPrefix + entry.title, entry.window});
    SetHiddenWindowPriority(windows_, entry.window, PriorityClass::kIdle);
  }
  return listed;
}

void HiddenRegister::RestoreAll() {
  // A copy: while a window of another program is shown, Stackle answers the commands sent to
  // it, which may hide one more.
  const std::vector<HiddenEntry> entries = entries_;
  for (const HiddenEntry& entry : entries) {
    if (!windows_.Exists(entry.window)) continue;
    SetHiddenWindowPriority(windows_, entry.window, PriorityClass::kNormal);
    windows_.Show(entry.window, ShowCommand::kShow);
    windows_.SetHiddenMark(entry.window, false);
  }
}

void HiddenRegister::AdoptMarkedWindows() {
  constexpr std::size_t kMaxSteps = std::size_t{1} << 20;
  std::size_t step = 0;
  for (WindowRef w = windows_.TopWindow(); w != kNoWindow && step < kMaxSteps;
       w = windows_.WindowBelow(w), ++step) {
    if (!windows_.HasHiddenMark(w)) continue;
    const bool registered = std::any_of(entries_.begin(), entries_.end(),
                                        [w](const HiddenEntry& e) { return e.window == w; });
    if (windows_.IsVisible(w)) {
      windows_.SetHiddenMark(w, false);
    } else if (!registered) {
      entries_.push_back({windows_.Title(w), w});
    }
  }
}

}  // namespace stackle
