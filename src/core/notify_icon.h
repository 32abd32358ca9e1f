// The shell's side of the notification-area icon.
#pragma once

#include <cstdint>

#include "core/types.h"

namespace stackle {

class NotifyIcon {
 public:
  virtual ~NotifyIcon() = default;

  // Adds the icon, whose presses come to the dialog as WM_TRAYNOTIFY; false when the shell
  // refused it (not ready yet).
  virtual bool Add() = 0;
  virtual void Remove() = 0;
  // A notification from the icon.
  virtual void ShowBalloon(const Text& title, const Text& text) = 0;
  // The message the shell broadcasts when the task bar is created anew; 0 when there is none.
  virtual std::uint32_t TaskbarCreatedMessage() = 0;
};

}  // namespace stackle
