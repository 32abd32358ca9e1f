// The windows Stackle has hidden: they stay reachable through "(Hide):" entries, their
// processes are held at idle priority, and they are shown again when Stackle ends.
#pragma once

#include <algorithm>
#include <vector>

#include "catalogue/window_list.h"

namespace stackle {

struct HiddenEntry {
  Text title;  // as the window reported it just after it was hidden
  WindowRef window = kNoWindow;
  friend bool operator==(const HiddenEntry&, const HiddenEntry&) = default;
};

class HiddenRegister {
 public:
  explicit HiddenRegister(WindowSystem& windows) : windows_(windows) {}

  // Appends an entry, duplicates included, and marks the window as hidden by Stackle.
  void Register(Text title, WindowRef window);
  // Drops the entries of windows that are visible again, whoever showed them.
  void Prune();
  // One hidden listed window per entry, in registration order.
  std::vector<ListedWindow> Listed() const;
  // Puts the program of each registered window to idle priority, or to the class `fixed`
  // gives it; a folder window's program (the shell) is left alone.
  void HoldProgramsIdle(const FixedPriorities& fixed);
  // Shows every registered window that still exists, at normal priority.
  void RestoreAll();
  // Takes in `w` when a previous run of Stackle hid it and could not show it again (it was
  // killed or crashed) and it is still hidden; clears the mark of one shown since.
  void AdoptIfMarked(WindowRef w);

  const std::vector<HiddenEntry>& Entries() const { return entries_; }
  // Whether `window` has an entry.
  bool Holds(WindowRef window) const {
    return std::ranges::find(entries_, window, &HiddenEntry::window) != entries_.end();
  }

 private:
  WindowSystem& windows_;
  std::vector<HiddenEntry> entries_;
};

}  // namespace stackle
