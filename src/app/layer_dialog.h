// The main dialog: its state, the order of its initialisation and destruction, and the message
// table that hands every message to one handler.
#pragma once

#include <array>
#include <cstdint>

#include "catalogue/exclusion_list.h"
#include "catalogue/hidden_register.h"
#include "catalogue/window_list.h"
#include "control/command_line.h"
#include "control/hotkey_dialog.h"
#include "ui/dialog.h"
#include "ui/layout.h"

namespace stackle {

inline constexpr char16_t kDialogCaption[] = u"Stackle";
// The dialog's timers: mouse-follow, and the icon's retries while the shell is not ready.
inline constexpr std::uint32_t kMouseFollowTimer = 1, kTrayRetryTimer = 2;

class CLayerDialog final : public MessageTarget {
 public:
  CLayerDialog(WindowSystem& windows, DialogHost& dialog, FileStore& files);

  std::optional<std::intptr_t> HandleMessage(const Message& message) override;

  // Rebuilds the window list from the Z-order, applies the priority policy and appends the
  // windows Stackle has hidden.
  void RefreshWindowList();
  // Reads nolist.txt again; keeps the old entries when it cannot be read.
  void LoadExclusionList();
  // Hides or shows the window of list entry `index` (the tray's window menu).
  void ToggleListedWindow(std::size_t index);
  // The About dialog with the follow interval; the timer restarts however it was closed.
  void OpenAboutWithInterval();
  // "ホットキーの設定"; the hotkeys are off while it is open, so that its controls can take them.
  void OpenHotkeySettings();

  std::uint32_t FollowInterval() const { return follow_interval_; }
  const Rect& MinimumSize() const { return minimum_size_; }
  const Rect& SavedRect() const { return saved_rect_; }

  const ExclusionList& Exclusions() const { return exclusions_; }
  const HiddenRegister& Hidden() const { return hidden_; }

 private:
  enum class Refresh { kFull, kShort };

  bool OnInitDialog();
  std::intptr_t OnKickIdle();
  void FinishStartUp();
  std::optional<std::intptr_t> OnCommand(int id, int code);
  void OnOK();
  void OnDestroy();
  void OnEndSession(bool ending);
  std::optional<std::intptr_t> OnSysCommand(std::uint32_t id);

  // The settings file and the mouse-follow timer.
  void ReadSettings();
  void WriteSettings();
  void StartMouseFollowTimer();
  void RestartMouseFollowTimer();
  void StopMouseFollowTimer();
  void OnMouseFollowTick();

  // Layer commands and the window list. Each is false when the window refused.
  bool OnBringToFront();
  bool OnAlwaysOnTop();
  bool OnNotAlwaysOnTop();
  bool OnSendToBottom();
  bool OnShowHide();
  void OnWindowListSelChange();
  void OnWindowListDblClk();
  // The labels of the list's entries, in order.
  std::vector<Text> ListedLabels();

  // The notification-area icon, its menus and the system menu.
  void AddSystemMenuEntries();
  void AddTrayIcon();
  void OnTrayRetryTick();
  void RemoveTrayIcon();
  std::intptr_t OnTrayNotify(std::intptr_t mouse_message);
  void ShowTrayWindowMenu();
  void ShowTrayToolMenu();
  void OnHideDialog();
  void OnRestoreDialog();
  void OnHelp();
  void QuitHelp();

  // Layout, sizing and minimize-to-tray.
  void BuildLayoutIds();
  void MeasureLayout();
  void OnSize(std::uintptr_t type, std::int32_t cx, std::int32_t cy);
  void RelayoutControls(std::int32_t cx, std::int32_t cy);
  void OnGetMinMaxInfo(MinMaxInfo& info);
  std::optional<std::intptr_t> OnPaint();
  void HideIntoTray();
  void SetOwnPriority(PriorityClass priority);

  // The per-window menu and its commands.
  void OnContextMenu(WindowRef requester);
  void OnWindowRestore();
  void OnWindowMinimize();
  void OnWindowMaximize();
  void OnWindowClose();
  void SetSelectedWindowPriority(PriorityClass priority);

  // Hotkeys and commands from other processes: they act as the buttons do, without taking
  // the foreground from the user.
  void LoadHotkeys();
  void RegisterHotkeys();
  void UnregisterHotkeys();
  AppliedHotkeys ApplyHotkeys(const HotkeySet& keys);
  void OnHotkey(std::uintptr_t id);
  std::intptr_t OnCopyData(const CopyData& data);
  int CarryOut(const Command& command, WindowRef reply_to);
  bool SelectListedWindow(WindowRef window);

  WindowRef SelectedWindow();
  void PlaceOwnWindow(InsertAfter where);
  bool PlaceSelectedWindow(InsertAfter where);
  void ShowSelectedWindow(ShowCommand command);
  // The common end of a command: the dialog back on top (full form only), the list rebuilt,
  // the focus back on the dialog (unless a hotkey or a script asked).
  void FinishCommand(Refresh form);
  // FinishCommand, then the caption says why nothing happened when the window refused.
  bool FinishCommand(Refresh form, bool done);
  void RestoreHiddenWindows();

  WindowSystem& windows_;
  DialogHost& dialog_;
  FileStore& files_;

  // The dialog's window rectangle as last recorded, and the mouse-follow state.
  Rect saved_rect_{};
  std::uint32_t follow_interval_ = 0;
  WindowRef last_followed_ = kNoWindow;
  std::uint32_t follow_timer_id_ = 0;
  HiddenRegister hidden_;
  ExclusionList exclusions_;
  // The controls the layout moves, and their measured places.
  LayoutTable layout_;
  Rect minimum_size_{};
  Rect first_client_{};
  bool first_size_ = true;
  // Whether the notification-area icon is there: without it a minimized dialog must stay
  // reachable, so it is not hidden.
  bool tray_icon_added_ = false;
  // Tries left to add the icon while the shell is not ready (Stackle started at logon).
  int tray_retries_left_ = 0;
  // Whether the work left for the first idle moment (the tooltips, the icon) has been done.
  bool start_up_finished_ = false;
  // The hotkeys, which of them another program holds, and what stackle.ini held that was not
  // understood; the held keys are told once the icon is there.
  HotkeySet hotkeys_{};
  HeldHotkeys hotkeys_held_{};
  std::vector<std::string> hotkey_problems_;
  Text held_hotkeys_notice_;
  // A hotkey or another process asked for the command being carried out.
  bool acting_remotely_ = false;
};

}  // namespace stackle
