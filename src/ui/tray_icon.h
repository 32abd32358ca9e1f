// The notification-area icon: the only way back to a dialog hidden into it, so it is added
// again whenever the shell has lost it, and the one place that can tell the user something
// without a window.
#pragma once

#include <cstdint>

#include "core/dialog_surface.h"
#include "core/notify_icon.h"

namespace stackle {

// The timer of the icon's retries while the shell is not ready.
inline constexpr std::uint32_t kTrayRetryTimer = 2;

class TrayIcon {
 public:
  TrayIcon(NotifyIcon& shell, DialogSurface& dialog) : shell_(shell), dialog_(dialog) {}

  // Adds the icon. Started at logon, Stackle may come before the shell is ready: it tries
  // again every two seconds, five times; until then the dialog stays on the task bar.
  void Add();
  void OnRetryTick();
  // The task bar was created anew (Explorer restarted): the icon is replaced. Only here: the
  // retries make one request each, since each may take seconds while the shell starts.
  void OnTaskbarCreated();
  void Remove();
  bool IsAdded() const { return added_; }
  std::uint32_t TaskbarCreatedMessage() { return shell_.TaskbarCreatedMessage(); }
  // Shows a balloon once, as soon as the icon is there to show it.
  void TellOnce(Text title, Text text);

 private:
  void TryAdd();
  // The balloon TellOnce keeps, once the icon is there.
  void ShowNotice();

  NotifyIcon& shell_;
  DialogSurface& dialog_;
  bool added_ = false;
  int retries_left_ = 0;
  Text notice_title_;
  Text notice_;
};

}  // namespace stackle
