#include "platform/sim/sim_dialog.h"

namespace stackle::sim {

void SimDialog::Open(MessageTarget& target) {
  target_ = &target;
  ending_ = false;
  caption_ = u"Stackle";
  window_ = windows_.AddWindow(
      {.title = caption_, .class_name = u"#32770", .process = windows_.OwnProcess()});
  Send({kWmInitDialog, 0, 0});
}

std::optional<std::intptr_t> SimDialog::Send(const Message& message) {
  if (!target_) return std::nullopt;
  auto result = target_->HandleMessage(message);
  if (ending_ && message.id != kWmDestroy) Destroy();
  return result;
}

int SimDialog::RunModal(MessageTarget& target) {
  Open(target);
  if (while_running && IsOpen()) while_running(*this);
  if (IsOpen()) Send({kWmClose, 0, 0});
  return result_;
}

void SimDialog::SetCaption(const Text& caption) {
  caption_ = caption;
  windows_.Get(window_).title = caption;
}

void SimDialog::EndDialog(int result) {
  result_ = result;
  ending_ = true;
}

void SimDialog::Destroy() {
  MessageTarget* target = target_;
  target->HandleMessage({kWmDestroy, 0, 0});
  windows_.DestroyWindow(window_);
  target_ = nullptr;
  window_ = kNoWindow;
  entries_.clear();
  selection_.reset();
}

void SimDialog::ClearWindowList() {
  entries_.clear();
  selection_.reset();
}

bool SimDialog::AddWindowListEntry(const Text& label, WindowRef window) {
  entries_.push_back({label, window});
  return true;
}

}  // namespace stackle::sim
