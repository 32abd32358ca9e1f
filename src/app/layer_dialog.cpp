#include "app/layer_dialog.h"

#include <algorithm>

#include "catalogue/text.h"
#include "remote/ini_file.h"
#include "res/resource.h"
#include "ui/window_menu.h"

namespace stackle {

CLayerDialog::CLayerDialog(const DialogPorts& ports)
    : windows_(ports.windows),
      dialog_(ports.dialog),
      list_(ports.list),
      files_(ports.files),
      operations_(ports.windows, ports.dialog, ports.list),
      remote_(*this, ports.windows, ports.dialog, ports.hotkeys, ports.commands, ports.files),
      tray_(ports.tray, ports.dialog),
      rules_(ports.windows, ports.dialog, ports.events, operations_, tray_),
      follow_(ports.dialog) {
  operations_.SetRebuildObserver(&rules_);
}

std::optional<std::intptr_t> CLayerDialog::HandleMessage(const Message& message) {
  if (message.id == tray_.TaskbarCreatedMessage() && message.id != 0) {
    tray_.OnTaskbarCreated();
    return 0;
  }
  switch (message.id) {
    case kWmInitDialog:
      return OnInitDialog() ? 1 : 0;
    case kWmKickIdle:
      // Rules act here, between messages: never inside a menu, a close wait or a dialog.
      FinishStartUp();
      rules_.ActOnPending();
      return 0;
    case WM_WINDOWEVENTS:
      rules_.OnWindowEvents();
      return 0;
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
        tray_.OnRetryTick();
      } else if (message.wparam == kRuleWatchTimer) {
        rules_.OnWatchTick();
      } else if (message.wparam == kLookAgainTimer) {
        operations_.OnLookAgainTick();
      } else if (message.wparam == kRuleRefreshTimer) {
        rules_.OnRefreshTick();
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
      OnSize(message.wparam, {static_cast<std::int16_t>(LowWord(message.lparam)),
                              static_cast<std::int16_t>(HighWord(message.lparam))});
      return 0;
    case kWmGetMinMaxInfo:
      OnGetMinMaxInfo(reinterpret_cast<MinMaxInfo*>(message.lparam));
      return 0;
    case WM_TRAYNOTIFY:
      return OnTrayNotify(message.lparam);
    case kWmHotkey:
      remote_.OnHotkey(message.wparam);
      return 0;
    case kWmCopyData:
      return remote_.OnCopyData(static_cast<WindowRef>(message.wparam),
                                reinterpret_cast<const CopyData*>(message.lparam));
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
  if (id >= IDM_OPACITY_FIRST && id <= IDM_OPACITY_LAST) {
    const int percent = kMinOpacity + kOpacityStep * (id - IDM_OPACITY_FIRST);
    if (operations_.SetWindowOpacity(operations_.SelectedWindow(), percent, Origin::kDialog) ==
        OpacityRegister::Result::kDone) {
      OnWindowListSelChange();  // the caption tells the new opacity
    }
    return 0;
  }
  if (id >= IDM_FIRST_LISTED_WINDOW && id <= IDM_LAST_LISTED_WINDOW) {
    // Resolved against the list as it stands now, and handled even when the list has
    // shrunk since the menu was built.
    operations_.ToggleListedWindow(static_cast<std::size_t>(id - IDM_FIRST_LISTED_WINDOW));
    return 0;
  }
  switch (id) {
    case IDC_REFRESH:
      operations_.RefreshWindowList();
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
    case IDM_TRAY_EXIT:
      OnOK();
      break;
    case IDM_TRAY_ABOUT:
      OpenAboutWithInterval();
      break;
    case IDM_TRAY_HOTKEYS:
      remote_.OpenHotkeySettings();
      break;
    case IDM_HELP:
      OnHelp();
      break;
    case IDM_HIDE_DIALOG:
      windows_.Show(dialog_.Window(), ShowCommand::kHide);
      break;
    case IDM_RESTORE_DIALOG:
      OnRestoreDialog();
      break;
    case IDM_TRAY_RELOAD_RULES:
      ReloadRules();
      break;
    case IDM_TRAY_OPAQUE:
      operations_.MakeAllOpaque();
      break;
    case IDM_WINDOW_CLOSE:
      OnWindowClose();
      break;
    case IDM_WINDOW_MAXIMIZE:
      OnWindowMaximize();
      break;
    case IDM_WINDOW_MINIMIZE:
      OnWindowMinimize();
      break;
    case IDM_WINDOW_RESTORE:
      OnWindowRestore();
      break;
    case IDM_PRIORITY_REALTIME:
      SetSelectedWindowPriority(PriorityClass::kRealtime);
      break;
    case IDM_PRIORITY_HIGH:
      SetSelectedWindowPriority(PriorityClass::kHigh);
      break;
    case IDM_PRIORITY_NORMAL:
      SetSelectedWindowPriority(PriorityClass::kNormal);
      break;
    case IDM_PRIORITY_IDLE:
      SetSelectedWindowPriority(PriorityClass::kIdle);
      break;
    case IDM_PIN_PROGRAM:
    case IDM_REMEMBER_PRIORITY:
      OnRememberForProgram(id);
      break;
    default:
      return std::nullopt;
  }
  return 0;
}

bool CLayerDialog::OnInitDialog() {
  AddSystemMenuEntries();
  dialog_.SetIcons();
  // On top of every window, not yet active: showing the dialog activates it once its list is
  // filled. Made active now, the program that was would repaint while the list is built.
  windows_.Place(dialog_.Window(), InsertAfter::kTopMost, /*activate=*/false);
  operations_.LoadExclusionList(files_);
  layout_.SetIds();
  layout_.Measure(dialog_);
  layout_.Finish(dialog_);
  AdoptWhatAKilledRunLeft();
  const IniText ini = ReadIniFile(files_);
  rules_.Load(ini.content.value_or(""));
  operations_.RefreshWindowList();
  ReadSettings();
  follow_.Start();
  // Keys another program holds are told once the icon is there.
  tray_.TellOnce(u"ホットキーを登録できません (他のプログラムが使用中)", remote_.LoadHotkeys(ini));
  // The tooltips and the notification-area icon follow once the dialog has painted
  // (FinishStartUp). The list, the first control with a tab stop, takes the keyboard focus.
  return true;
}

void CLayerDialog::FinishStartUp() {
  if (start_up_finished_) return;
  start_up_finished_ = true;
  dialog_.SetUpTooltips();
  remote_.AcceptCommands();
  // Unless "TaskbarCreated" came first and added it.
  if (!tray_.IsAdded()) tray_.Add();
}

void CLayerDialog::AdoptWhatAKilledRunLeft() {
  // The windows it hid come back under "(Hide):"; those it pinned by rule or made translucent
  // are put back at this run's exit. Only after such a run does this look at every window.
  const bool hidden = windows_.MarksMayRemain(WindowMark::kHidden);
  const bool pinned = windows_.MarksMayRemain(WindowMark::kRulePinned);
  const bool translucent = windows_.MarksMayRemain(WindowMark::kTranslucent);
  if (!hidden && !pinned && !translucent) return;
  for (WindowRef w : windows_.TopLevelWindows()) {
    if (hidden) operations_.AdoptIfHidden(w);
    if (pinned) rules_.AdoptIfMarked(w);
    if (translucent) operations_.AdoptIfTranslucent(w);
  }
}

void CLayerDialog::OnOK() {
  dialog_.EndDialog(IDC_EXIT);
}

void CLayerDialog::ReloadRules() {
  operations_.LoadExclusionList(files_);
  rules_.Load(ReadIniFile(files_).content.value_or(""));
  operations_.RefreshWindowList();
}

void CLayerDialog::OnDestroy() {
  follow_.Stop();
  remote_.UnregisterHotkeys();
  PutBackWhatItChanged();
  tray_.Remove();
  dialog_.QuitHelp();
  WriteSettings();
}

void CLayerDialog::OnEndSession(bool ending) {
  // Windows ends the process right after this, without destroying the dialog: nothing
  // Stackle hid may stay hidden, and the settings are kept as at exit.
  if (!ending) return;
  PutBackWhatItChanged();
  WriteSettings();
}

void CLayerDialog::PutBackWhatItChanged() {
  // Rules' pins, opacity, and the windows Stackle hid: what a killed run would leave.
  rules_.UndoAll();
  operations_.MakeAllOpaque();
  operations_.RestoreHiddenWindows();
}

std::optional<std::intptr_t> CLayerDialog::OnSysCommand(std::uint32_t id) {
  // The low four bits of a system command belong to the window system.
  if ((id & 0xFFF0) == IDM_ABOUT) {
    OpenAboutWithInterval();
    return 0;
  }
  if ((id & 0xFFF0) == IDM_HOTKEYS) {
    remote_.OpenHotkeySettings();
    return 0;
  }
  if (id == IDM_HELP) {
    OnHelp();
    return 0;
  }
  return std::nullopt;
}

void CLayerDialog::OnBringToFront() {
  operations_.PlaceWindow(operations_.SelectedWindow(), InsertAfter::kTop, Origin::kDialog);
}

void CLayerDialog::OnAlwaysOnTop() {
  operations_.PlaceWindow(operations_.SelectedWindow(), InsertAfter::kTopMost, Origin::kDialog);
}

void CLayerDialog::OnNotAlwaysOnTop() {
  operations_.PlaceWindow(operations_.SelectedWindow(), InsertAfter::kNoTopMost, Origin::kDialog);
}

void CLayerDialog::OnSendToBottom() {
  operations_.SendWindowToBottom(operations_.SelectedWindow(), Origin::kDialog);
}

void CLayerDialog::OnShowHide() {
  operations_.ToggleHidden(operations_.SelectedWindow(), Origin::kDialog);
}

void CLayerDialog::OnWindowListSelChange() {
  // The notification can arrive with nothing selected; the caption then stays as it is.
  const auto index = list_.Selection();
  if (!index || *index >= operations_.Listed().size()) return;
  const ListedWindow& selected = operations_.Listed()[*index];
  const auto opacity = operations_.OpacityShown(selected.window);
  const std::string percent = opacity ? std::to_string(*opacity) : "";
  dialog_.SetCaption(Label(selected) +
                     (opacity ? u"  不透明度 " + WidenAscii(percent) + u"%" : Text()));
}

void CLayerDialog::OnWindowListDblClk() {
  operations_.ToggleMinimized(operations_.SelectedWindow(), Origin::kDialog);
}

void CLayerDialog::OnContextMenu(WindowRef requester) {
  if (requester != list_.Control()) return;
  const auto cursor = windows_.CursorPosition();
  if (!cursor) return;
  const auto index = list_.EntryNear(*cursor);
  if (!index) return;
  list_.Select(*index);
  const WindowRef target = operations_.SelectedWindow();
  if (target == kNoWindow) return;
  // A window that stands for no program (the shell's, a Store app's frame without its app) has
  // a menu without priorities; one gone since the list was built is refused, as a program is
  // that cannot be opened (run as administrator): no menu; the caption says why.
  const ProcessId program = ProgramOf(windows_, target);
  const bool no_program = program == 0 && windows_.Exists(target);
  const auto priority =
      no_program ? std::optional<std::uint32_t>(0) : windows_.ProcessPriority(program);
  if (!priority) return dialog_.SetCaption(kRefusedNotice);

  const bool keeps_priority = no_program || windows_.ClassName(target) == kFolderWindowClass;
  const Text path = keeps_priority ? Text() : windows_.ProgramPath(program);
  const std::u16string_view file_name = FileNameOf(path);
  const auto has_rule = [&](RuleAction action) {
    return HasProgramRule(rules_.Book(), action, file_name);
  };
  windows_.BringToForeground(dialog_.Window());
  dialog_.Focus();
  dialog_.ShowPopupMenu(BuildWindowMenu({.minimized = windows_.IsMinimized(target),
                                         .maximized = windows_.IsMaximized(target),
                                         .keeps_priority = keeps_priority,
                                         .priority = *priority,
                                         .program_known = !file_name.empty(),
                                         .program_pinned = has_rule(RuleAction::kTop),
                                         .priority_remembered = has_rule(RuleAction::kPriority),
                                         .opacity = operations_.OpacityOffered(target)}),
                        *cursor);
}

void CLayerDialog::OnRememberForProgram(int id) {
  const WindowRef target = operations_.SelectedWindow();
  const ProcessId program = ProgramOf(windows_, target);
  const Text path = windows_.ProgramPath(program);
  const std::u16string_view name = FileNameOf(path);
  if (target == kNoWindow || name.empty()) return;
  const RuleAction action = id == IDM_PIN_PROGRAM ? RuleAction::kTop : RuleAction::kPriority;
  const bool had = HasProgramRule(rules_.Book(), action, name);
  const auto priority = static_cast<PriorityClass>(windows_.ProcessPriority(program).value_or(0));
  const std::string line =
      action == RuleAction::kTop ? PinProgramLine(name) : KeepPriorityLine(priority, name);
  // Never written again from a file that was not read whole.
  const IniText ini = ReadIniFile(files_);
  if (!ini.content ||
      !files_.SaveFile(kIniFileName, ToggleProgramRule(*ini.content, action, name, line))) {
    return dialog_.ShowInformation(u"stackle.ini に書き込めません。");
  }
  // Taken out, the rule's pins go with it; added, it pins the program's windows at once.
  if (had && action == RuleAction::kTop) rules_.UndoPinsOf(program);
  ReloadRules();
}

void CLayerDialog::OnWindowRestore() {
  operations_.ShowWindowAs(operations_.SelectedWindow(), ShowCommand::kShowNormal, Origin::kDialog);
}

void CLayerDialog::OnWindowMinimize() {
  operations_.ShowWindowAs(operations_.SelectedWindow(), ShowCommand::kMinimize, Origin::kDialog);
}

void CLayerDialog::OnWindowMaximize() {
  operations_.ShowWindowAs(operations_.SelectedWindow(), ShowCommand::kMaximize, Origin::kDialog);
}

void CLayerDialog::OnWindowClose() {
  operations_.CloseWindow(operations_.SelectedWindow(), Origin::kDialog);
}

void CLayerDialog::SetSelectedWindowPriority(PriorityClass priority) {
  operations_.SetProgramPriority(operations_.SelectedWindow(), priority);
}

}  // namespace stackle
