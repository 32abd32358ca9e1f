// The notification-area icon and its menus, the system menu, help, and the dialog's own
// size: layout, minimum size and minimize-to-tray.
#include "app/layer_dialog.h"
#include "res/resource.h"
#include "ui/help_text.h"
#include "ui/tray_menus.h"

namespace stackle {

void CLayerDialog::AddSystemMenuEntries() {
  dialog_.AppendToSystemMenu(
      BuildSystemMenuAdditions(dialog_.StringResource(IDS_ABOUT_MENU), IDM_ABOUT, IDM_HOTKEYS));
}

void CLayerDialog::AddTrayIcon() {
  tray_icon_added_ = dialog_.AddTrayIcon();
  // Keys another program held at start-up are told once, as soon as the icon can tell it.
  if (!tray_icon_added_ || held_hotkeys_notice_.empty()) return;
  dialog_.ShowTrayBalloon(u"ホットキーを登録できません (他のプログラムが使用中)",
                          held_hotkeys_notice_);
  held_hotkeys_notice_.clear();
}

void CLayerDialog::OnTrayRetryTick() {
  if (!tray_icon_added_) AddTrayIcon();
  if (tray_icon_added_ || --tray_retries_left_ <= 0) dialog_.KillTimer(kTrayRetryTimer);
}

void CLayerDialog::RemoveTrayIcon() {
  dialog_.RemoveTrayIcon();
  tray_icon_added_ = false;
}

std::intptr_t CLayerDialog::OnTrayNotify(std::intptr_t mouse_message) {
  // The menus open on the press; releases, moves and double clicks do nothing.
  if (mouse_message == kWmLButtonDown) ShowTrayWindowMenu();
  if (mouse_message == kWmRButtonDown) ShowTrayToolMenu();
  return 0;
}

void CLayerDialog::ShowTrayWindowMenu() {
  // The dialog must be in front, or the menu would not close when the user clicks away.
  windows_.BringToForeground(dialog_.Window());
  dialog_.Focus();
  const auto cursor = windows_.CursorPosition();
  if (!cursor) return;
  RefreshWindowList();
  dialog_.ShowPopupMenu(BuildTrayWindowMenu(ListedLabels()), *cursor);
}

void CLayerDialog::ShowTrayToolMenu() {
  SetOwnPriority(PriorityClass::kHigh);
  windows_.BringToForeground(dialog_.Window());
  dialog_.Focus();
  const auto cursor = windows_.CursorPosition();
  if (!cursor) return;
  dialog_.ShowPopupMenu(BuildTrayToolMenu(windows_.IsVisible(dialog_.Window())), *cursor);
  SetOwnPriority(PriorityClass::kIdle);
}

void CLayerDialog::OnHideDialog() {
  windows_.Show(dialog_.Window(), ShowCommand::kHide);
}

void CLayerDialog::OnRestoreDialog() {
  windows_.Show(dialog_.Window(), ShowCommand::kShowNormal);
  LoadExclusionList();
  RefreshWindowList();
  dialog_.Focus();
}

void CLayerDialog::OnHelp() {
  // Without a help file the user gets the short help instead of the viewer's complaint.
  if (!dialog_.OpenHelpFile()) dialog_.ShowInformation(kHelpText);
}

void CLayerDialog::QuitHelp() {
  dialog_.QuitHelp();
}

void CLayerDialog::BuildLayoutIds() {
  SetLayoutIds(layout_);
}

void CLayerDialog::MeasureLayout() {
  for (std::size_t i = 0; i < layout_.rects.size() && layout_.ids[i] != 0; ++i) {
    layout_.rects[i] = LayoutEntry(dialog_.ControlRect(layout_.ids[i]).value_or(Rect{}), i);
  }
}

void CLayerDialog::SetOwnPriority(PriorityClass priority) {
  windows_.SetProcessPriority(windows_.OwnProcess(), priority);
}

void CLayerDialog::OnSize(std::uintptr_t type, std::int32_t cx, std::int32_t cy) {
  const WindowRef own = dialog_.Window();
  if (type == kSizeMinimized) {
    SetOwnPriority(PriorityClass::kIdle);
    HideIntoTray();
    return;
  }
  SetOwnPriority(PriorityClass::kRealtime);
  if (first_size_) {
    const Rect window = windows_.WindowRect(own).value_or(Rect{});
    minimum_size_ = {0, 0, window.Width(), window.Height()};
    first_client_ = {0, 0, cx, cy};
    first_size_ = false;
    return;
  }
  RelayoutControls(cx, cy);
  if (const auto rect = windows_.WindowRect(own)) saved_rect_ = *rect;
}

void CLayerDialog::RelayoutControls(std::int32_t cx, std::int32_t cy) {
  for (const auto& [id, place] : LayoutControls(layout_, cx, cy))
    dialog_.MoveControl(id, place);
}

void CLayerDialog::OnGetMinMaxInfo(MinMaxInfo& info) {
  if (first_size_) return;
  info.min_track_size = {minimum_size_.right, minimum_size_.bottom};
}

std::optional<std::intptr_t> CLayerDialog::OnPaint() {
  if (!windows_.IsMinimized(dialog_.Window())) return std::nullopt;
  dialog_.PaintMinimized();
  HideIntoTray();
  return 0;
}

void CLayerDialog::HideIntoTray() {
  // The icon added first if it is not yet; with no icon there, the dialog stays on the task
  // bar instead of vanishing.
  FinishStartUp();
  if (tray_icon_added_) windows_.Show(dialog_.Window(), ShowCommand::kHide);
}

}  // namespace stackle
