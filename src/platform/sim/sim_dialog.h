// The main dialog's surface on the simulated window system. Its window is a real member of the
// simulated Z-order, owned by the simulation's own process; beside it, its list box and the
// shell's parts it talks to.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "app/layer_dialog.h"
#include "platform/sim/sim_child_dialog.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_window_system.h"
#include "res/resource.h"

namespace stackle::sim {

class SimDialog;

// The window list control: each entry is a row of kRowHeight pixels from the screen's top.
class SimListView final : public ListView {
 public:
  static constexpr std::int32_t kRowHeight = 16;

  explicit SimListView(SimDialog& dialog) : dialog_(dialog) {}

  std::vector<Text> labels;
  std::optional<std::size_t> selection;
  bool redraws = true;

  WindowRef Control() override;
  void Clear() override {
    labels.clear();
    selection.reset();
  }
  void SetRedraw(bool on) override { redraws = on; }
  bool Add(const Text& label) override {
    labels.push_back(label);
    return true;
  }
  std::optional<std::size_t> Selection() override { return selection; }
  void Select(std::size_t i) override {
    if (i < labels.size()) selection = i;
  }
  std::optional<std::size_t> EntryNear(Point screen) override;

 private:
  SimDialog& dialog_;
};

class SimDialog final : public DialogHost {
  // First, as the members below are made from it.
  SimWindowSystem& windows_;

 public:
  explicit SimDialog(SimWindowSystem& windows) : windows_(windows) {}
  ~SimDialog() override {
    if (window_ != kNoWindow) windows_.after_move = nullptr;
    if (events.listening) windows_.announce = nullptr;
  }

  SimListView list{*this};
  SimNotifyIcon tray;
  SimHotkeyRegistrar hotkeys;
  SimCommandServer commands;
  SimWindowEvents events{windows_, [this](const Message& message) { Post(message); }};
  DialogPorts Ports(SimFiles& files) {
    return {windows_, *this, list, tray, hotkeys, commands, events, files};
  }

  // Creates the dialog's window and delivers WM_INITDIALOG, as the dialog manager would.
  void Open(MessageTarget& target);
  // Delivers the modal loop's idle message until the dialog wants no more; from then on, also
  // after every message the loop takes.
  void DeliverIdle();
  // Delivers a message; ends the dialog (WM_DESTROY included) when a handler asked for it.
  std::optional<std::intptr_t> Send(const Message& message);
  // Queues a message that the modal loop takes once the one being handled is done.
  void Post(const Message& message);
  // Lets the modal loop take what was posted while no message was being handled.
  void Pump();
  // Reports the dialog window's current size, as the window system does after a change.
  void SendSize(std::uintptr_t type);
  bool IsOpen() const { return target_ != nullptr; }
  // Tests open the dialog and send it messages instead.
  int RunModal(MessageTarget&) override { return 0; }

  // Selects as the user would, with the selection-change notification.
  void UserSelects(std::size_t index) {
    list.selection = index;
    Send(CommandMessage(IDC_WINDOW_LIST, kLbnSelChange));
  }
  const Text& Caption() const { return caption_; }
  bool HasFocus() const { return focused_; }
  void LoseFocus() { focused_ = false; }

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
  // Whether Open lets the dialog stand idle, as the modal loop does once its queue runs empty.
  bool idle_after_open = true;
  // The client area is the window less this frame on each side and a caption on top.
  static constexpr std::int32_t kFrame = 4, kCaption = 20;

  WindowRef Window() override { return window_; }
  void SetCaption(const Text& caption) override {
    windows_.Get(window_).title = caption_ = caption;
  }
  void SetIcons() override {}
  void EndDialog(int) override { ending_ = true; }
  bool IsEnding() override { return ending_; }
  void Focus() override { focused_ = true; }
  void SetUpTooltips() override {}
  void ActivateTooltips(bool) override {}
  void ShowPopupMenu(const Menu& menu, Point at) override;
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

 private:
  void Destroy();

  MessageTarget* target_ = nullptr;
  WindowRef window_ = kNoWindow;
  bool ending_ = false;
  bool idling_ = false;
  int depth_ = 0;  // messages being handled, one inside another
  bool focused_ = false;
  std::deque<Message> posted_;
  Text caption_;
};

}  // namespace stackle::sim
