// The main dialog's surface on the simulated window system. Its window is a real member of the
// simulated Z-order, owned by the simulation's own process.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "catalogue/window_list.h"
#include "platform/sim/sim_window_system.h"
#include "res/resource.h"
#include "ui/dialog.h"

namespace stackle::sim {

// A child dialog as the user sees it: its controls' texts and the message boxes it shows.
class SimChildDialog final : public ChildDialogSurface {
 public:
  explicit SimChildDialog(ChildDialog& dialog) : dialog_(dialog) {}

  // Clicks a button (or presses Enter or Escape).
  void Press(int id) { dialog_.HandleMessage(CommandMessage(id)); }
  bool IsOpen() const { return !result; }

  std::map<int, Text> items;
  std::vector<Text> warnings;
  std::optional<int> focused_item;
  std::optional<int> result;

  void SetItemText(int id, const Text& text) override { items[id] = text; }
  Text ItemText(int id) override { return items[id]; }
  void FocusItem(int id) override { focused_item = id; }
  void ShowWarning(const Text& text) override { warnings.push_back(text); }
  std::map<int, Hotkey> hotkeys;
  void SetHotkey(int id, Hotkey key) override { hotkeys[id] = key; }
  Hotkey GetHotkey(int id) override { return hotkeys[id]; }
  void EndDialog(int value) override { result = value; }

 private:
  ChildDialog& dialog_;
};

class SimDialog final : public DialogHost {
 public:
  explicit SimDialog(SimWindowSystem& windows) : windows_(windows) {}
  ~SimDialog() override {
    if (window_ != kNoWindow) windows_.after_move = nullptr;
  }

  // Creates the dialog's window and delivers WM_INITDIALOG, as the dialog manager would.
  void Open(MessageTarget& target);
  // Delivers the modal loop's idle message until the dialog wants no more.
  void DeliverIdle();
  // Delivers a message; ends the dialog (WM_DESTROY included) when a handler asked for it.
  std::optional<std::intptr_t> Send(const Message& message);
  // Reports the dialog window's current size, as the window system does after a change.
  void SendSize(std::uintptr_t type);
  bool IsOpen() const { return target_ != nullptr; }
  // Tests open the dialog and send it messages instead.
  int RunModal(MessageTarget&) override { return 0; }

  const std::vector<WindowListEntry>& Entries() const { return entries_; }
  // Selects as the user would, with the selection-change notification.
  void UserSelects(std::size_t index) {
    selection_ = index;
    Send(CommandMessage(IDC_WINDOW_LIST, kLbnSelChange));
  }
  const Text& Caption() const { return caption_; }
  bool HasFocus() const { return focused_; }
  void LoseFocus() { focused_ = false; }
  // Whether the list draws; a refresh turns drawing off while it rebuilds the list.
  bool WindowListRedraws() const { return list_redraws_; }

  // Each list entry is a row of this many pixels, from the screen's top edge down.
  static constexpr std::int32_t kRowHeight = 16;
  // Every menu shown, with where it was shown.
  std::vector<std::pair<Menu, Point>> menus_shown;
  // Picks an item of a shown menu (nothing: the user dismissed it). Its command arrives
  // after the menu has closed, as a posted command would.
  std::function<std::optional<int>(const Menu&)> choose_from_menu;
  // Acts on a child dialog while it is open; the dialog is cancelled afterwards if it is
  // still open, as the close box would.
  std::function<void(SimChildDialog&)> while_child_open;
  // Running timers by identifier, with their periods.
  std::map<std::uint32_t, std::uint32_t> timers;

  static constexpr std::uint32_t kTaskbarCreated = 0xC123;
  bool tray_icon = false;
  bool shell_refuses_icons = false;
  // Whether Open lets the dialog stand idle, as the modal loop does once its queue runs empty.
  bool idle_after_open = true;
  int tray_icons_added = 0;
  // The client area is the window less this frame on each side and a caption on top.
  static constexpr std::int32_t kFrame = 4, kCaption = 20;

  WindowRef Window() override { return window_; }
  void BindControls() override {}
  void SetCaption(const Text& caption) override {
    windows_.Get(window_).title = caption_ = caption;
  }
  void SetIcons() override {}
  void EndDialog(int) override { ending_ = true; }
  bool IsEnding() override { return ending_; }
  WindowRef WindowListControl() override { return window_ + 1; }
  void ClearWindowList() override {
    entries_.clear();
    selection_.reset();
  }
  void SetWindowListRedraw(bool on) override { list_redraws_ = on; }
  bool AddWindowListEntry(const Text& label, WindowRef window) override {
    entries_.push_back({label, window});
    return true;
  }
  std::size_t WindowListCount() override { return entries_.size(); }
  std::optional<Text> WindowListLabel(std::size_t i) override {
    return i < entries_.size() ? std::optional(entries_[i].label) : std::nullopt;
  }
  std::optional<WindowRef> WindowListWindow(std::size_t i) override {
    return i < entries_.size() ? std::optional(entries_[i].window) : std::nullopt;
  }
  std::optional<std::size_t> WindowListSelection() override { return selection_; }
  void SelectWindowListEntry(std::size_t i) override {
    if (i < entries_.size()) selection_ = i;
  }
  std::optional<std::size_t> WindowListEntryNear(Point screen) override;
  void Focus() override { focused_ = true; }
  void SetUpTooltips() override {}
  void ActivateTooltips(bool) override {}
  void ShowPopupMenu(const Menu& menu, Point at) override;
  bool AddTrayIcon() override {
    if (shell_refuses_icons) return false;
    ++tray_icons_added;
    return tray_icon = true;
  }
  void RemoveTrayIcon() override { tray_icon = false; }
  std::uint32_t TaskbarCreatedMessage() override { return kTaskbarCreated; }
  void AppendToSystemMenu(const Menu&) override {}
  // Help and its viewer are shown on the real dialog.
  bool OpenHelpFile() override { return false; }
  void QuitHelp() override {}
  void ShowInformation(const Text&) override {}
  // The layout's places are checked on the real dialog.
  std::optional<Rect> ControlRect(int) override { return std::nullopt; }
  void MoveControl(int, const Rect&) override {}
  void PaintMinimized() override {}
  std::intptr_t DragIcon() override { return 0; }
  Text StringResource(int id) override;
  std::uint32_t SetTimer(std::uint32_t id, std::uint32_t interval) override {
    return timers[id] = interval, id;
  }
  void KillTimer(std::uint32_t id) override { timers.erase(id); }
  int RunChildDialog(ChildDialog& dialog) override;

  // Registered hotkeys by identifier; keys in `held_by_others` are refused.
  std::map<int, Hotkey> hotkeys;
  std::vector<Hotkey> held_by_others;
  std::vector<Text> balloons;
  // The answers to command messages: code and output.
  std::vector<std::pair<int, Text>> answers;
  bool RegisterHotkey(int id, Hotkey key) override {
    if (std::ranges::find(held_by_others, key) != held_by_others.end()) return false;
    return hotkeys.emplace(id, key).second;
  }
  void UnregisterHotkey(int id) override { hotkeys.erase(id); }
  void ShowTrayBalloon(const Text& title, const Text& text) override {
    balloons.push_back(title + u"|" + text);
  }
  void AcceptCommands() override {}
  void AnswerCommand(WindowRef, int code, const Text& output) override {
    answers.emplace_back(code, output);
  }

 private:
  void Destroy();

  SimWindowSystem& windows_;
  MessageTarget* target_ = nullptr;
  WindowRef window_ = kNoWindow;
  bool ending_ = false;
  int depth_ = 0;  // messages being handled, one inside another
  bool focused_ = false;
  bool list_redraws_ = true;
  std::deque<int> posted_commands_;
  Text caption_;
  std::vector<WindowListEntry> entries_;
  std::optional<std::size_t> selection_;
};

}  // namespace stackle::sim
