// A child dialog as the user sees it: its controls' texts and the message boxes it shows.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "core/dialog_surface.h"

namespace stackle::sim {

class SimChildDialog final : public ChildDialogSurface {
 public:
  explicit SimChildDialog(ChildDialog& dialog) : dialog_(dialog) {}

  // Clicks a button (or presses Enter or Escape).
  void Press(int id) { dialog_.HandleMessage(CommandMessage(id)); }
  bool IsOpen() const { return !result; }

  std::map<int, Text> items;
  std::map<int, Hotkey> hotkeys;
  std::vector<Text> warnings;
  std::optional<int> focused_item;
  std::optional<int> result;

  void SetItemText(int id, const Text& text) override { items[id] = text; }
  Text ItemText(int id) override { return items[id]; }
  void FocusItem(int id) override { focused_item = id; }
  void ShowWarning(const Text& text) override { warnings.push_back(text); }
  void SetHotkey(int id, Hotkey key) override { hotkeys[id] = key; }
  Hotkey GetHotkey(int id) override { return hotkeys[id]; }
  void EndDialog(int value) override { result = value; }

 private:
  ChildDialog& dialog_;
};

}  // namespace stackle::sim
