// The notification-area icon on Windows: its identity is the dialog's window and a number.
#pragma once

#include <windows.h>

#include "core/notify_icon.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/win32_dialog.h"

namespace stackle::win32 {

// The message Explorer broadcasts when it has created the task bar anew.
UINT TaskbarCreatedMessage();

class Win32NotifyIcon final : public NotifyIcon {
 public:
  explicit Win32NotifyIcon(const OwnWindow& dialog) : dialog_(dialog) {}

  bool Add() override;
  bool Replace() override;
  void Remove() override;
  void ShowBalloon(const Text& title, const Text& text) override;
  std::uint32_t TaskbarCreatedMessage() override { return win32::TaskbarCreatedMessage(); }

 private:
  const OwnWindow& dialog_;
  UniqueIcon icon_;
  // Whether an icon was asked for: without one, there is none to remove.
  bool requested_ = false;
};

}  // namespace stackle::win32
