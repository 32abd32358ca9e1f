#include "platform/sim/sim_dialog.h"

#include <algorithm>

namespace stackle::sim {

void SimDialog::Open(MessageTarget& target) {
  target_ = &target;
  ending_ = false;
  caption_ = u"Stackle";
  // The template's size: 162 × 98 units of two pixels.
  const Rect client{0, 0, 324, 196};
  window_ = windows_.AddWindow({.title = caption_,
                                .class_name = u"#32770",
                                .process = windows_.OwnProcess(),
                                .rect = {100, 100, 100 + client.right + 2 * kFrame,
                                         100 + client.bottom + kCaption + kFrame}});
  // The window system reports the size once while it creates the window, and whenever a
  // move changes it.
  windows_.after_move = [this](WindowRef moved) {
    if (moved == window_ && target_) SendSize(kSizeRestored);
  };
  SendSize(kSizeRestored);
  Send({kWmInitDialog, 0, 0});
  // The modal loop then finds its queue empty.
  if (idle_after_open) DeliverIdle();
}

void SimDialog::DeliverIdle() {
  idling_ = true;
  // The real loop would go on for as long as the dialog asks; a test stops after 100.
  for (int i = 0; i < 100 && IsOpen(); ++i) {
    const auto more = Send({kWmKickIdle, 0, 0});
    if (!more || *more == 0) break;
  }
}

void SimDialog::Post(const Message& message) {
  posted_.push_back(message);
}

void SimDialog::Pump() {
  while (depth_ == 0 && !posted_.empty() && target_) {
    const Message next = posted_.front();
    posted_.pop_front();
    Send(next);
  }
}

void SimDialog::SendSize(std::uintptr_t type) {
  const Rect r = windows_.Get(window_).rect;
  const auto cx = static_cast<std::uint16_t>(r.Width() - 2 * kFrame);
  const auto cy = static_cast<std::uint16_t>(r.Height() - kCaption - kFrame);
  Send({kWmSize, type, static_cast<std::intptr_t>((std::uint32_t{cy} << 16) | cx)});
}

std::optional<std::intptr_t> SimDialog::Send(const Message& message) {
  if (!target_) return std::nullopt;
  ++depth_;
  auto result = target_->HandleMessage(message);
  // As the modal loop, which ends the run and takes posted messages only between the
  // messages it dispatches, not inside one.
  if (--depth_ > 0) return result;
  if (ending_) {
    Destroy();
    return result;
  }
  while (!posted_.empty() && target_) {
    const Message next = posted_.front();
    posted_.pop_front();
    Send(next);
  }
  // The modal loop finds its queue empty again.
  if (idling_ && message.id != kWmKickIdle && target_) Send({kWmKickIdle, 0, 0});
  return result;
}

void SimDialog::Destroy() {
  ++depth_;
  target_->HandleMessage({kWmDestroy, 0, 0});
  --depth_;
  windows_.DestroyWindow(window_);
  target_ = nullptr;
  window_ = kNoWindow;
  list.Clear();
  posted_.clear();
}

WindowRef SimListView::Control() {
  return dialog_.Window() + 1;
}

std::optional<std::size_t> SimListView::EntryNear(Point screen) {
  if (labels.empty()) return std::nullopt;
  const std::int32_t row = screen.y < 0 ? 0 : screen.y / kRowHeight;
  return std::min<std::size_t>(static_cast<std::size_t>(row), labels.size() - 1);
}

void SimDialog::ShowPopupMenu(const Menu& menu, Point at) {
  menus_shown.emplace_back(menu, at);
  if (!choose_from_menu) return;
  if (auto id = choose_from_menu(menu)) posted_.push_back(CommandMessage(*id));
}

Text SimDialog::StringResource(int id) {
  return id == IDS_ABOUT_MENU      ? u"ﾊﾞｰｼﾞｮﾝ情報 (&A)..."
         : id == IDS_SETTINGS_FILE ? u"stackle.dat"
                                   : Text();
}

int SimDialog::RunChildDialog(ChildDialog& dialog) {
  SimChildDialog child(dialog);
  dialog.Attach(child);
  dialog.HandleMessage({kWmInitDialog, 0, 0});
  if (while_child_open) while_child_open(child);
  if (child.IsOpen()) child.Press(kIdCancel);
  return *child.result;
}

}  // namespace stackle::sim
