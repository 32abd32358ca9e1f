// The commands that act on the window selected in the list.
#include "app/layer_dialog.h"
#include "res/resource.h"
#include "ui/window_menu.h"

namespace stackle {

WindowRef CLayerDialog::SelectedWindow() {
  const auto index = dialog_.WindowListSelection();
  if (!index) return kNoWindow;
  return dialog_.WindowListWindow(*index).value_or(kNoWindow);
}

void CLayerDialog::PlaceOwnWindow(InsertAfter where) {
  windows_.Place(dialog_.Window(), where, /*activate=*/true);
}

void CLayerDialog::FinishCommand(Refresh form) {
  if (form == Refresh::kFull) PlaceOwnWindow(InsertAfter::kTopMost);
  RefreshWindowList();
  dialog_.Focus();
}

bool CLayerDialog::PlaceSelectedWindow(InsertAfter where) {
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return false;
  windows_.Place(target, where, /*activate=*/true);
  FinishCommand(Refresh::kFull);
  return true;
}

void CLayerDialog::OnBringToFront() {
  PlaceSelectedWindow(InsertAfter::kTop);
}

void CLayerDialog::OnAlwaysOnTop() {
  PlaceSelectedWindow(InsertAfter::kTopMost);
}

void CLayerDialog::OnNotAlwaysOnTop() {
  PlaceSelectedWindow(InsertAfter::kNoTopMost);
}

void CLayerDialog::OnSendToBottom() {
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return;
  SetWindowProcessPriority(windows_, target, PriorityClass::kNormal);
  windows_.Place(target, InsertAfter::kBottom, /*activate=*/false);
  FinishCommand(Refresh::kShort);
}

void CLayerDialog::OnWindowListSelChange() {
  // The notification can arrive with nothing selected; the caption then stays as it is.
  const auto index = dialog_.WindowListSelection();
  if (!index) return;
  if (auto label = dialog_.WindowListLabel(*index)) dialog_.SetCaption(*label);
}

void CLayerDialog::OnWindowListDblClk() {
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return;
  windows_.Show(target,
                windows_.IsMinimized(target) ? ShowCommand::kShowNormal : ShowCommand::kMinimize);
  FinishCommand(Refresh::kFull);
}

void CLayerDialog::OnShowHide() {
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return;
  if (windows_.IsVisible(target)) {
    windows_.Show(target, ShowCommand::kHide);
    Text title = windows_.Title(target);
    SetHiddenWindowPriority(windows_, target, PriorityClass::kIdle);
    hidden_.Register(std::move(title), target);
  } else {
    windows_.Show(target, ShowCommand::kShow);
  }
  FinishCommand(Refresh::kFull);
}

void CLayerDialog::ToggleListedWindow(std::size_t index) {
  const auto target = dialog_.WindowListWindow(index);
  if (!target || *target == kNoWindow) return;
  // A window gone since it was hidden has nothing to show: registered again, it would be
  // listed once more, without a title.
  if (!windows_.Exists(*target)) return;
  windows_.Show(*target, windows_.IsVisible(*target) ? ShowCommand::kHide : ShowCommand::kShow);
  Text title = windows_.Title(*target);
  SetHiddenWindowPriority(windows_, *target, PriorityClass::kIdle);
  // A window just shown is registered too; the refresh below drops it again at once.
  hidden_.Register(std::move(title), *target);
  FinishCommand(Refresh::kFull);
}

void CLayerDialog::OnContextMenu(WindowRef requester) {
  if (requester != dialog_.WindowListControl()) return;
  const auto cursor = windows_.CursorPosition();
  if (!cursor) return;
  const auto index = dialog_.WindowListEntryNear(*cursor);
  if (!index) return;
  dialog_.SelectWindowListEntry(*index);
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return;
  const auto priority = windows_.ProcessPriority(ProgramOf(windows_, target));
  if (!priority) return;  // the process cannot be opened: no menu, the selection stays

  windows_.BringToForeground(dialog_.Window());
  dialog_.Focus();
  dialog_.ShowPopupMenu(BuildWindowMenu({.minimized = windows_.IsMinimized(target),
                                         .maximized = windows_.IsMaximized(target),
                                         .folder = windows_.ClassName(target) == kFolderWindowClass,
                                         .priority = *priority}),
                        *cursor);
}

void CLayerDialog::ShowSelectedWindow(ShowCommand command) {
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return;
  windows_.Show(target, command);
  FinishCommand(Refresh::kShort);
}

void CLayerDialog::OnWindowRestore() {
  ShowSelectedWindow(ShowCommand::kShowNormal);
}

void CLayerDialog::OnWindowMinimize() {
  ShowSelectedWindow(ShowCommand::kMinimize);
}

void CLayerDialog::OnWindowMaximize() {
  ShowSelectedWindow(ShowCommand::kMaximize);
}

void CLayerDialog::OnWindowClose() {
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return;
  // Out of the always-on-top band while the program may ask its user first, so that its
  // question is not hidden behind Stackle.
  PlaceOwnWindow(InsertAfter::kNoTopMost);
  windows_.RequestClose(target, [this] { return dialog_.IsEnding(); });
  if (dialog_.IsEnding()) return;  // the user asked Stackle to exit meanwhile
  FinishCommand(Refresh::kFull);
}

void CLayerDialog::SetSelectedWindowPriority(PriorityClass priority) {
  const WindowRef target = SelectedWindow();
  if (target != kNoWindow) SetWindowProcessPriority(windows_, target, priority);
}

}  // namespace stackle
