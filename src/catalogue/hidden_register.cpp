#include "catalogue/hidden_register.h"

#include <algorithm>

namespace stackle {

void HiddenRegister::Register(Text title, WindowRef window) {
  if (window == kNoWindow) return;
  windows_.SetMark(window, WindowMark::kHidden, 1);
  entries_.push_back({std::move(title), window});
}

void HiddenRegister::Prune() {
  // A window that no longer exists is not visible, so its entry stays until exit.
  std::erase_if(entries_, [this](const HiddenEntry& entry) {
    if (!windows_.IsVisible(entry.window)) return false;
    windows_.SetMark(entry.window, WindowMark::kHidden, 0);
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

void HiddenRegister::HoldProgramsIdle(const FixedPriorities& fixed) {
  for (const HiddenEntry& entry : entries_) {
    const Text class_name = windows_.ClassName(entry.window);
    if (class_name == kFolderWindowClass) continue;
    const ProcessId program = ProgramOf(windows_, entry.window, class_name);
    if (program == 0) continue;
    const auto rule = fixed.find(program);
    windows_.SetProcessPriority(program, rule == fixed.end() ? PriorityClass::kIdle : rule->second);
  }
}

void HiddenRegister::RestoreAll() {
  // A copy: while a window of another program is shown, Stackle answers the commands sent to
  // it, which may hide one more.
  const std::vector<HiddenEntry> entries = entries_;
  for (const HiddenEntry& entry : entries) {
    if (!windows_.Exists(entry.window)) continue;
    SetHiddenWindowPriority(windows_, entry.window, PriorityClass::kNormal);
    windows_.Show(entry.window, ShowCommand::kShow);
    windows_.SetMark(entry.window, WindowMark::kHidden, 0);
  }
}

void HiddenRegister::AdoptIfMarked(WindowRef w) {
  if (!windows_.MarkOf(w, WindowMark::kHidden)) return;
  if (windows_.IsVisible(w)) {
    windows_.SetMark(w, WindowMark::kHidden, 0);
  } else if (!Holds(w)) {
    entries_.push_back({windows_.Title(w), w});
  }
}

}  // namespace stackle
