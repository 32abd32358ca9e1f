// The settings file, the About dialog that sets the follow interval, and mouse-follow.
#include "app/layer_dialog.h"
#include "res/resource.h"
#include "settings/about_dialog.h"
#include "settings/settings_file.h"

namespace stackle {

void CLayerDialog::ReadSettings() {
  follow_.SetInterval(0);
  const FileContent content = files_.ReadFile(dialog_.StringResource(IDS_SETTINGS_FILE));
  settings_unread_ = content.state != FileState::kRead && content.state != FileState::kMissing;
  if (content.state != FileState::kRead) return;
  const StoredSettings stored =
      ParseSettings(content.bytes, {.fields = 0, .rect = saved_rect_, .interval = 0});
  if (stored.fields >= 5) follow_.SetInterval(stored.interval);
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
  if (settings_unread_) return;
  files_.SaveFile(dialog_.StringResource(IDS_SETTINGS_FILE),
                  FormatSettings(saved_rect_, follow_.Interval()));
}

void CLayerDialog::OpenAboutWithInterval() {
  CAboutDialog about;
  about.SetInterval(follow_.Interval());
  dialog_.RunChildDialog(about);
  follow_.SetInterval(about.GetInterval());
  follow_.Restart();
}

void CLayerDialog::OnMouseFollowTick() {
  // When nothing came forward, nothing moved: the list stands.
  if (FollowCursor(windows_, last_followed_)) operations_.RefreshWindowList();
}

}  // namespace stackle
