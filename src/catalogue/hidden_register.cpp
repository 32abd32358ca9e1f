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

std::vector<ListedWindow> HiddenRegister::Listed() const {
  std::vector<ListedWindow> listed;
  listed.reserve(entries_.size());
  for (const HiddenEntry& entry : entries_)
    listed.push_back({.title = entry.title, .window = entry.window, .hidden = true});
  return listed;
}

void HiddenRegister::HoldProgramsIdle() {
  for (const HiddenEntry& entry : entries_)
    SetHiddenWindowPriority(windows_, entry.window, PriorityClass::kIdle);
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
  WalkZOrder(windows_, windows_.TopWindow(), kNoWindow, [this](WindowRef w) {
    if (!windows_.HasHiddenMark(w)) return;
    if (windows_.IsVisible(w)) {
      windows_.SetHiddenMark(w, false);
    } else if (std::ranges::find(entries_, w, &HiddenEntry::window) == entries_.end()) {
      entries_.push_back({windows_.Title(w), w});
    }
  });
}

}  // namespace stackle
