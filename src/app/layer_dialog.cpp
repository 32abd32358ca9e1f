#include "app/layer_dialog.h"

#include "res/resource.h"
#include "settings/about_dialog.h"
#include "ui/tray_menus.h"
#include "ui/window_menu.h"

namespace stackle {

CLayerDialog::CLayerDialog(WindowSystem& windows, DialogHost& dialog, FileStore& files)
    : windows_(windows), dialog_(dialog), files_(files), hidden_(windows) {}

std::optional<std::intptr_t> CLayerDialog::HandleMessage(const Message& message) {
  if (message.id == dialog_.TaskbarCreatedMessage() && message.id != 0) {
    // Explorer restarted: the icon is the only way back to a hidden dialog.
    AddTrayIcon();
    return 0;
  }
  switch (message.id) {
    case kWmInitDialog:
      return OnInitDialog() ? 1 : 0;
    case kWmKickIdle:
      return OnKickIdle();
    case kWmCommand:
      return OnCommand(LowWord(message.wparam), HighWord(message.wparam));
    case kWmClose:
      OnOK();
      return 0;
    case kWmDestroy:
      OnDestroy();
      return 0;
    case kWmEndSession:
      OnEndSession(message.wparam != 0);
      return 0;
    case kWmSysCommand:
      return OnSysCommand(static_cast<std::uint32_t>(message.wparam));
    case kWmTimer:
      if (message.wparam == kTrayRetryTimer) {
        OnTrayRetryTick();
      } else {
        OnMouseFollowTick();
      }
      return std::nullopt;
    case kWmContextMenu:
      OnContextMenu(static_cast<WindowRef>(message.wparam));
      return 0;
    case kWmInitMenu:
      // Opening the system menu changes nothing, not even through default processing.
      return 0;
    case kWmPaint:
      return OnPaint();
    case kWmQueryDragIcon:
      return dialog_.DragIcon();
    case kWmSize:
      OnSize(message.wparam, static_cast<std::int16_t>(LowWord(message.lparam)),
             static_cast<std::int16_t>(HighWord(message.lparam)));
      return 0;
    case kWmGetMinMaxInfo:
      OnGetMinMaxInfo(*reinterpret_cast<MinMaxInfo*>(message.lparam));
      return 0;
    case WM_TRAYNOTIFY:
      return OnTrayNotify(message.lparam);
    case kWmHotkey:
      OnHotkey(message.wparam);
      return 0;
    case kWmCopyData:
      return OnCopyData(*reinterpret_cast<const CopyData*>(message.lparam));
    default:
      return std::nullopt;
  }
}

std::optional<std::intptr_t> CLayerDialog::OnCommand(int id, int code) {
  if (id == IDC_WINDOW_LIST) {
    if (code == kLbnSelChange) OnWindowListSelChange();
    if (code == kLbnDblClk) OnWindowListDblClk();
    return 0;
  }
  if (code != 0) return std::nullopt;
  if (id >= IDM_FIRST_LISTED_WINDOW && id <= IDM_LAST_LISTED_WINDOW) {
    // Resolved against the list as it stands now, and handled even when the list has
    // shrunk since the menu was built.
    ToggleListedWindow(static_cast<std::size_t>(id - IDM_FIRST_LISTED_WINDOW));
    return 0;
  }
  switch (id) {
    case IDC_REFRESH:
      RefreshWindowList();
      break;
    case IDC_BRING_TO_FRONT:  // also Escape, and Enter on the list
      OnBringToFront();
      break;
    case IDC_SEND_TO_BOTTOM:
      OnSendToBottom();
      break;
    case IDC_ALWAYS_ON_TOP:
      OnAlwaysOnTop();
      break;
    case IDC_NOT_ALWAYS_ON_TOP:
      OnNotAlwaysOnTop();
      break;
    case IDC_SHOW_HIDE:
      OnShowHide();
      break;
    case IDC_EXIT:
      OnOK();
      break;
    case IDM_TRAY_ABOUT:
      OpenAboutWithInterval();
      break;
    case IDM_TRAY_HOTKEYS:
      OpenHotkeySettings();
      break;
    case IDM_TRAY_EXIT:
      OnOK();
      break;
    case IDM_HELP:
      OnHelp();
      break;
    case IDM_HIDE_DIALOG:
      OnHideDialog();
      break;
    case IDM_RESTORE_DIALOG:
      OnRestoreDialog();
      break;
    case IDM_WINDOW_CLOSE:
      OnWindowClose();
      break;
    case IDM_PRIORITY_HIGH:
      SetSelectedWindowPriority(PriorityClass::kHigh);
      break;
    case IDM_PRIORITY_IDLE:
      SetSelectedWindowPriority(PriorityClass::kIdle);
      break;
    case IDM_WINDOW_MAXIMIZE:
      OnWindowMaximize();
      break;
    case IDM_WINDOW_MINIMIZE:
      OnWindowMinimize();
      break;
    case IDM_PRIORITY_NORMAL:
      SetSelectedWindowPriority(PriorityClass::kNormal);
      break;
    case IDM_WINDOW_RESTORE:
      OnWindowRestore();
      break;
    case IDM_PRIORITY_REALTIME:
      SetSelectedWindowPriority(PriorityClass::kRealtime);
      break;
    default:
      return std::nullopt;
  }
  return 0;
}

bool CLayerDialog::OnInitDialog() {
  dialog_.BindControls();
  AddSystemMenuEntries();
  dialog_.SetIcons();
  PlaceOwnWindow(InsertAfter::kTopMost);
  LoadExclusionList();
  BuildLayoutIds();
  MeasureLayout();
  // Laid out once at once: the template's places, rounded from dialog units, can leave the
  // last button a pixel outside the dialog.
  RelayoutControls(first_client_.right, first_client_.bottom);
  first_size_ = false;
  // Windows that a killed or crashed run left hidden come back under "(Hide):".
  hidden_.AdoptMarkedWindows();
  RefreshWindowList();
  ReadSettings();
  StartMouseFollowTimer();
  LoadHotkeys();
  // The tooltips and the notification-area icon follow once the dialog has painted
  // (FinishStartUp). The list, the first control with a tab stop, takes the keyboard focus.
  return true;
}

std::intptr_t CLayerDialog::OnKickIdle() {
  FinishStartUp();
  return 0;
}

void CLayerDialog::FinishStartUp() {
  // What the user does not see at once waits until the dialog has painted its list: the
  // tooltips, and the notification-area icon, which waits for the shell.
  if (start_up_finished_) return;
  start_up_finished_ = true;
  dialog_.SetUpTooltips();
  dialog_.AcceptCommands();
  // Unless "TaskbarCreated" came first and added it. Started at logon, Stackle may come before
  // the shell is ready: it tries again every two seconds, five times; until then the dialog
  // stays on the task bar.
  if (tray_icon_added_) return;
  AddTrayIcon();
  if (tray_icon_added_) return;
  tray_retries_left_ = 5;
  dialog_.SetTimer(kTrayRetryTimer, 2000);
}

void CLayerDialog::OnOK() {
  dialog_.EndDialog(IDC_EXIT);
}

void CLayerDialog::OnDestroy() {
  StopMouseFollowTimer();
  UnregisterHotkeys();
  RestoreHiddenWindows();
  RemoveTrayIcon();
  QuitHelp();
  WriteSettings();
}

void CLayerDialog::OnEndSession(bool ending) {
  // Windows ends the process right after this, without destroying the dialog: nothing
  // Stackle hid may stay hidden, and the settings are kept as at exit.
  if (!ending) return;
  RestoreHiddenWindows();
  WriteSettings();
}

std::optional<std::intptr_t> CLayerDialog::OnSysCommand(std::uint32_t id) {
  // The low four bits of a system command belong to the window system.
  if ((id & 0xFFF0) == IDM_ABOUT) {
    OpenAboutWithInterval();
    return 0;
  }
  if ((id & 0xFFF0) == IDM_HOTKEYS) {
    OpenHotkeySettings();
    return 0;
  }
  if (id == IDM_HELP) {
    OnHelp();
    return 0;
  }
  return std::nullopt;
}

void CLayerDialog::OpenAboutWithInterval() {
  CAboutDialog about;
  about.SetInterval(follow_interval_);
  dialog_.RunChildDialog(about);
  follow_interval_ = about.GetInterval();
  RestartMouseFollowTimer();
}

void CLayerDialog::RestoreHiddenWindows() {
  hidden_.RestoreAll();
}

void CLayerDialog::LoadExclusionList() {
  exclusions_.Load(files_);
}

std::vector<Text> CLayerDialog::ListedLabels() {
  std::vector<Text> labels;
  labels.reserve(dialog_.WindowListCount());
  for (std::size_t i = 0; i < dialog_.WindowListCount(); ++i)
    labels.push_back(dialog_.WindowListLabel(i).value_or(Text()));
  return labels;
}

void CLayerDialog::RefreshWindowList() {
  dialog_.ActivateTooltips(false);
  // A list box that draws repaints itself for every entry added.
  dialog_.SetWindowListRedraw(false);
  dialog_.ClearWindowList();
  for (const WindowListEntry& entry : WalkWindowList(windows_, dialog_.Window(), exclusions_)) {
    dialog_.AddWindowListEntry(entry.label, entry.window);
  }
  dialog_.ActivateTooltips(true);
  hidden_.Prune();
  for (const WindowListEntry& entry : hidden_.ListEntries()) {
    dialog_.AddWindowListEntry(entry.label, entry.window);
  }
  dialog_.SetWindowListRedraw(true);
  // Setting the caption repaints the frame and tells the shell, even when it is unchanged.
  if (windows_.Title(dialog_.Window()) != kDialogCaption) dialog_.SetCaption(kDialogCaption);
}

}  // namespace stackle
