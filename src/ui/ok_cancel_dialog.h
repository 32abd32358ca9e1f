// A child dialog that OK ends once its own checks pass, and that Escape, the close box and
// キャンセル end at once, changing nothing.
#pragma once

#include "core/dialog_surface.h"

namespace stackle {

class OkCancelDialog : public ChildDialog {
 public:
  void Attach(ChildDialogSurface& surface) override { surface_ = &surface; }
  std::optional<std::intptr_t> HandleMessage(const Message& message) override {
    if (message.id == kWmInitDialog) {
      OnInitDialog();
      return 1;  // the dialog manager gives the focus to the first tab stop
    }
    if (message.id != kWmCommand || HighWord(message.wparam) != 0) return std::nullopt;
    if (LowWord(message.wparam) == kIdOk) {
      OnOK();
      return 0;
    }
    if (LowWord(message.wparam) == kIdCancel) {
      surface_->EndDialog(kIdCancel);
      return 0;
    }
    return std::nullopt;
  }

 protected:
  virtual void OnInitDialog() = 0;
  virtual void OnOK() = 0;

  ChildDialogSurface* surface_ = nullptr;
};

}  // namespace stackle
