// The notification-area icon's menus, the system menu, help, and the dialog's own size:
// layout, minimum size and minimize-to-tray.
#include "app/layer_dialog.h"
#include "res/resource.h"
#include "ui/help_text.h"
#include "ui/tray_menus.h"

namespace stackle {

void CLayerDialog::AddSystemMenuEntries() {
  dialog_.AppendToSystemMenu(
      BuildSystemMenuAdditions(dialog_.StringResource(IDS_ABOUT_MENU), IDM_ABOUT, IDM_HOTKEYS));
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
  operations_.RefreshWindowList();
  std::vector<Text> labels;
  for (const ListedWindow& listed : operations_.Listed())
    labels.push_back(Label(listed));
  dialog_.ShowPopupMenu(BuildTrayWindowMenu(labels), *cursor);
}

void CLayerDialog::ShowTrayToolMenu() {
  windows_.SetProcessPriority(windows_.OwnProcess(), PriorityClass::kHigh);
  windows_.BringToForeground(dialog_.Window());
  dialog_.Focus();
  const auto cursor = windows_.CursorPosition();
  if (!cursor) return;
  dialog_.ShowPopupMenu(BuildTrayToolMenu(windows_.IsVisible(dialog_.Window())), *cursor);
  windows_.SetProcessPriority(windows_.OwnProcess(), PriorityClass::kIdle);
}

void CLayerDialog::OnRestoreDialog() {
  windows_.Show(dialog_.Window(), ShowCommand::kShowNormal);
  operations_.LoadExclusionList(files_);
  operations_.RefreshWindowList();
  dialog_.Focus();
}

void CLayerDialog::OnHelp() {
  // Without a help file the user gets the short help instead of the viewer's complaint.
  if (!dialog_.OpenHelpFile()) dialog_.ShowInformation(kHelpText);
}

void CLayerDialog::OnSize(std::uintptr_t type, Size client) {
  const WindowRef own = dialog_.Window();
  if (type == kSizeMinimized) {
    windows_.SetProcessPriority(windows_.OwnProcess(), PriorityClass::kIdle);
    HideIntoTray();
    return;
  }
  // High, never realtime: run as administrator, realtime would be granted and could starve
  // the system's own input and disk work.
  windows_.SetProcessPriority(windows_.OwnProcess(), PriorityClass::kHigh);
  const auto rect = windows_.WindowRect(own);
  const Size window{rect ? rect->Width() : 0, rect ? rect->Height() : 0};
  if (layout_.TakeFirstSize(window, client)) return;
  layout_.Relayout(dialog_, client);
  if (rect) saved_rect_ = *rect;
}

void CLayerDialog::OnGetMinMaxInfo(MinMaxInfo* info) {
  const auto minimum = layout_.MinimumTrackSize();
  if (info && minimum) info->min_track_size = {minimum->width, minimum->height};
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
  if (tray_.IsAdded()) windows_.Show(dialog_.Window(), ShowCommand::kHide);
}

}  // namespace stackle
