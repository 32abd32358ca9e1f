// The main dialog: its state, the order of its initialisation and destruction, and the message
// table that hands every message to one handler. The windows it lists and what it does to
// them are WindowOperations'; hotkeys and commands come in through RemoteControl.
#pragma once

#include <cstdint>

#include "app/remote_control.h"
#include "app/rule_engine.h"
#include "app/window_operations.h"
#include "core/command_channel.h"
#include "core/hotkey_registrar.h"
#include "core/notify_icon.h"
#include "core/window_events.h"
#include "settings/mouse_follow.h"
#include "ui/layout.h"
#include "ui/tray_icon.h"

namespace stackle {

// Everything the main dialog reaches outside itself.
struct DialogPorts {
  WindowSystem& windows;
  DialogSurface& dialog;
  ListView& list;
  NotifyIcon& tray;
  HotkeyRegistrar& hotkeys;
  CommandServer& commands;
  WindowEvents& events;
  FileStore& files;
};

class CLayerDialog final : public MessageTarget {
 public:
  explicit CLayerDialog(const DialogPorts& ports);

  std::optional<std::intptr_t> HandleMessage(const Message& message) override;

  WindowOperations& Operations() { return operations_; }
  RuleEngine& Rules() { return rules_; }
  std::uint32_t FollowInterval() const { return follow_.Interval(); }
  // Out of the notification area, with nolist.txt read again and the list rebuilt.
  void OnRestoreDialog();
  // The accept path: the close box, 終了(X), the icon's 終了 and /exit end here.
  void OnOK();
  // Reads the rules and nolist.txt again and looks at every window anew.
  void ReloadRules();

 private:
  bool OnInitDialog();
  // What the user does not see at once waits until the dialog has painted its list.
  void FinishStartUp();
  void AdoptWhatAKilledRunLeft();
  void PutBackWhatItChanged();
  std::optional<std::intptr_t> OnCommand(int id, int code);
  void OnDestroy();
  void OnEndSession(bool ending);
  std::optional<std::intptr_t> OnSysCommand(std::uint32_t id);

  // The buttons and the list: each acts on the selected window.
  void OnBringToFront();
  void OnAlwaysOnTop();
  void OnNotAlwaysOnTop();
  void OnSendToBottom();
  void OnShowHide();
  void OnWindowListSelChange();
  void OnWindowListDblClk();

  // The per-window menu and its commands.
  void OnContextMenu(WindowRef requester);
  void OnWindowRestore();
  void OnWindowMinimize();
  void OnWindowMaximize();
  void OnWindowClose();
  void SetSelectedWindowPriority(PriorityClass priority);
  // このプログラムを常に手前に and このプログラムの優先度を記憶: a rule for the selected
  // window's program written into stackle.ini, or taken out again.
  void OnRememberForProgram(int id);

  // The notification-area icon, its menus, the system menu and help.
  void AddSystemMenuEntries();
  std::intptr_t OnTrayNotify(std::intptr_t mouse_message);
  void ShowTrayWindowMenu();
  void ShowTrayToolMenu();
  void OnHelp();

  // Layout, sizing and minimize-to-tray.
  void OnSize(std::uintptr_t type, Size client);
  void OnGetMinMaxInfo(MinMaxInfo* info);
  std::optional<std::intptr_t> OnPaint();
  void HideIntoTray();

  // The settings file, the About dialog with the follow interval, and mouse-follow.
  void ReadSettings();
  void WriteSettings();
  void OpenAboutWithInterval();
  void OnMouseFollowTick();

  WindowSystem& windows_;
  DialogSurface& dialog_;
  ListView& list_;
  FileStore& files_;
  WindowOperations operations_;
  RemoteControl remote_;
  TrayIcon tray_;
  RuleEngine rules_;
  DialogLayout layout_;
  MouseFollowTimer follow_;
  // The dialog's window rectangle as last recorded, and the window mouse-follow last brought
  // forward.
  Rect saved_rect_{};
  WindowRef last_followed_ = kNoWindow;
  // stackle.dat was there but did not read at start-up: it keeps what it holds, also at exit.
  bool settings_unread_ = false;
  // Whether the work left for the first idle moment (the tooltips, the icon) has been done.
  bool start_up_finished_ = false;
};

}  // namespace stackle
