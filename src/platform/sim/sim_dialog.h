// The main dialog's surface on the simulated window system. Its window is a real member of the
// simulated Z-order, owned by the simulation's own process.
#pragma once

#include <functional>
#include <vector>

#include "catalogue/window_list.h"
#include "platform/sim/sim_window_system.h"
#include "ui/dialog.h"

namespace stackle::sim {

class SimDialog final : public DialogHost {
 public:
  explicit SimDialog(SimWindowSystem& windows) : windows_(windows) {}

  // Creates the dialog's window and delivers WM_INITDIALOG, as the dialog manager would.
  void Open(MessageTarget& target);
  // Delivers a message; ends the dialog (WM_DESTROY included) when a handler asked for it.
  std::optional<std::intptr_t> Send(const Message& message);
  bool IsOpen() const { return target_ != nullptr; }

  // Called while the modal run is up; the run then closes the dialog as the close box would
  // if the callback left it open.
  std::function<void(SimDialog&)> while_running;
  int RunModal(MessageTarget& target) override;

  const std::vector<WindowListEntry>& Entries() const { return entries_; }
  void SelectEntry(std::optional<std::size_t> index) { selection_ = index; }
  const Text& Caption() const { return caption_; }
  bool HasIcons() const { return has_icons_; }
  int Result() const { return result_; }

  WindowRef Window() override { return window_; }
  void BindControls() override { bound_ = true; }
  void SetCaption(const Text& caption) override;
  void SetIcons() override { has_icons_ = true; }
  void EndDialog(int result) override;
  void ClearWindowList() override;
  bool AddWindowListEntry(const Text& label, WindowRef window) override;
  std::size_t WindowListCount() override { return entries_.size(); }
  std::optional<std::size_t> WindowListSelection() override { return selection_; }

 private:
  void Destroy();

  SimWindowSystem& windows_;
  MessageTarget* target_ = nullptr;
  WindowRef window_ = kNoWindow;
  bool bound_ = false;
  bool ending_ = false;
  bool has_icons_ = false;
  int result_ = 0;
  Text caption_;
  std::vector<WindowListEntry> entries_;
  std::optional<std::size_t> selection_;
};

}  // namespace stackle::sim
