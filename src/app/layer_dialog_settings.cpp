// The settings file and the mouse-follow timer.
#include "app/layer_dialog.h"
#include "res/resource.h"
#include "settings/mouse_follow.h"
#include "settings/settings_file.h"

namespace stackle {

void CLayerDialog::ReadSettings() {
  follow_interval_ = 0;
  const auto content = files_.ReadFile(dialog_.StringResource(IDS_SETTINGS_FILE));
  if (!content) return;
  const StoredSettings stored =
      ParseSettings(*content, {.fields = 0, .rect = saved_rect_, .interval = 0});
  if (stored.fields >= 5) follow_interval_ = stored.interval;
  if (const auto rect = PlaceableRect(stored, windows_)) {
    saved_rect_ = *rect;
    windows_.MoveWindow(dialog_.Window(), *rect);
  }
}

void CLayerDialog::WriteSettings() {
  const WindowRef own = dialog_.Window();
  if (!windows_.IsMinimized(own) && !windows_.IsMaximized(own)) {
    if (const auto rect = windows_.WindowRect(own)) saved_rect_ = *rect;
  }
  files_.SaveFile(dialog_.StringResource(IDS_SETTINGS_FILE),
                  FormatSettings(saved_rect_, follow_interval_));
}

void CLayerDialog::StartMouseFollowTimer() {
  if (follow_interval_ == 0) return;
  follow_timer_id_ = dialog_.SetTimer(kMouseFollowTimer, follow_interval_);
}

void CLayerDialog::RestartMouseFollowTimer() {
  StopMouseFollowTimer();
  StartMouseFollowTimer();
}

void CLayerDialog::StopMouseFollowTimer() {
  dialog_.KillTimer(follow_timer_id_);
}

void CLayerDialog::OnMouseFollowTick() {
  const WindowRef target = FollowTarget(windows_, last_followed_);
  if (target == kNoWindow) return;
  // A window the system refused to bring forward (the foreground lock) is not counted as
  // followed, so the next tick tries again; nothing moved, so the list stands.
  if (!windows_.BringToForeground(target)) return;
  last_followed_ = target;
  RefreshWindowList();
}

}  // namespace stackle
