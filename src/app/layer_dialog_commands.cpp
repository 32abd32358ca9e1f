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
  windows_.Place(dialog_.Window(), where, /*activate=*/!acting_remotely_);
}

void CLayerDialog::FinishCommand(Refresh form) {
  if (form == Refresh::kFull) PlaceOwnWindow(InsertAfter::kTopMost);
  RefreshWindowList();
  if (!acting_remotely_) dialog_.Focus();
}

bool CLayerDialog::FinishCommand(Refresh form, bool done) {
  FinishCommand(form);
  if (!done) dialog_.SetCaption(kRefusedNotice);
  return done;
}

bool CLayerDialog::PlaceSelectedWindow(InsertAfter where) {
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return false;
  return FinishCommand(Refresh::kFull, windows_.Place(target, where, /*activate=*/true));
}

bool CLayerDialog::OnBringToFront() {
  return PlaceSelectedWindow(InsertAfter::kTop);
}

bool CLayerDialog::OnAlwaysOnTop() {
  return PlaceSelectedWindow(InsertAfter::kTopMost);
}

bool CLayerDialog::OnNotAlwaysOnTop() {
  return PlaceSelectedWindow(InsertAfter::kNoTopMost);
}

bool CLayerDialog::OnSendToBottom() {
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return false;
  SetWindowProcessPriority(windows_, target, PriorityClass::kNormal);
  return FinishCommand(Refresh::kShort,
                       windows_.Place(target, InsertAfter::kBottom, /*activate=*/false));
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
  FinishCommand(Refresh::kFull,
                windows_.Show(target, windows_.IsMinimized(target) ? ShowCommand::kShowNormal
                                                                   : ShowCommand::kMinimize));
}

bool CLayerDialog::OnShowHide() {
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return false;
  bool done = false;
  if (!windows_.IsVisible(target)) {
    done = windows_.Show(target, ShowCommand::kShow);
  } else if (windows_.Show(target, ShowCommand::kHide)) {
    // Only a window that did hide is registered: one that refused stays in view.
    Text title = windows_.Title(target);
    SetHiddenWindowPriority(windows_, target, PriorityClass::kIdle);
    hidden_.Register(std::move(title), target);
    done = true;
  }
  return FinishCommand(Refresh::kFull, done);
}

void CLayerDialog::ToggleListedWindow(std::size_t index) {
  const auto target = dialog_.WindowListWindow(index);
  if (!target || *target == kNoWindow) return;
  // A window gone since it was hidden has nothing to show: registered again, it would be
  // listed once more, without a title.
  if (!windows_.Exists(*target)) return;
  if (!windows_.Show(*target,
                     windows_.IsVisible(*target) ? ShowCommand::kHide : ShowCommand::kShow)) {
    FinishCommand(Refresh::kFull, false);
    return;
  }
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
  // The process cannot be opened (run as administrator): no menu; the caption says why.
  if (!priority) return dialog_.SetCaption(kRefusedNotice);

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
  FinishCommand(Refresh::kShort, windows_.Show(target, command));
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
