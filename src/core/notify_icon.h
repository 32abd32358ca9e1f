// The shell's side of the notification-area icon.
#pragma once

#include <cstdint>

#include "core/types.h"

namespace stackle {

class NotifyIcon {
 public:
  virtual ~NotifyIcon() = default;

  // Adds the icon, whose presses come to the dialog as WM_TRAYNOTIFY, in one request to the
  // shell, which may take seconds while it starts; false when the shell refused it (not ready
  // yet, or it holds the icon already).
  virtual bool Add() = 0;
  // Removes the icon the shell may still hold, and adds it again.
  virtual bool Replace() = 0;
  virtual void Remove() = 0;
  // A notification from the icon.
  virtual void ShowBalloon(const Text& title, const Text& text) = 0;
  // The message the shell broadcasts when the task bar is created anew; 0 when there is none.
  virtual std::uint32_t TaskbarCreatedMessage() = 0;
};

}  // namespace stackle
