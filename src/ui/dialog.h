// The dialog's own surface: what the main dialog does to its own window and controls, and the
// window messages it receives. The Win32 host and the simulation both implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "catalogue/window_system.h"
#include "control/hotkeys.h"
#include "ui/menu.h"

namespace stackle {

// Window messages keep their Windows numbers, so that the message table is the same code for
// the real dialog and the simulated one.
enum : std::uint32_t {
  kWmNull = 0x0000,
  kWmDestroy = 0x0002,
  kWmSize = 0x0005,
  kWmKillFocus = 0x0008,
  kWmPaint = 0x000F,
  kWmGetMinMaxInfo = 0x0024,
  kWmQueryDragIcon = 0x0037,
  kWmTimer = 0x0113,
  kWmSysCommand = 0x0112,
  kWmClose = 0x0010,
  kWmEndSession = 0x0016,
  kWmContextMenu = 0x007B,
  kWmInitDialog = 0x0110,
  kWmCommand = 0x0111,
  kWmInitMenu = 0x0116,
  kWmCopyData = 0x004A,
  kWmHotkey = 0x0312,
  // Sent by the modal loop whenever its queue has run empty (the first paint done), until the
  // dialog answers 0: the place for work that must not hold up the dialog's first showing.
  kWmKickIdle = 0x036A,
};

// Size types of WM_SIZE.
enum : std::uintptr_t {
  kSizeRestored = 0,
  kSizeMinimized = 1,
  kSizeMaximized = 2,
};

// Mouse messages the tray icon reports.
enum : std::intptr_t {
  kWmLButtonDown = 0x0201,
  kWmRButtonDown = 0x0204,
};

// The window system's offer of minimum and maximum sizes (WM_GETMINMAXINFO), laid out as
// Windows lays it out.
struct MinMaxInfo {
  Point reserved;
  Point max_size;
  Point max_position;
  Point min_track_size;
  Point max_track_size;
};

// List box notifications.
enum : int {
  kLbnSelChange = 1,
  kLbnDblClk = 2,
};

// Dialog button identifiers of the dialog manager.
enum : int {
  kIdOk = 1,
  kIdCancel = 2,
};

// The data another program hands over with WM_COPYDATA, laid out as Windows lays it out.
struct CopyData {
  std::uintptr_t tag;
  std::uint32_t size;
  const void* data;
};

struct Message {
  std::uint32_t id = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
};

inline std::uint16_t LowWord(std::uintptr_t value) {
  return static_cast<std::uint16_t>(value);
}
inline std::uint16_t HighWord(std::uintptr_t value) {
  return static_cast<std::uint16_t>(value >> 16);
}
inline Message CommandMessage(int id, int code = 0) {
  return {kWmCommand, (static_cast<std::uintptr_t>(code & 0xFFFF) << 16) | (id & 0xFFFF), 0};
}

// What receives the dialog's messages.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  // A result when the message was handled; nothing for the dialog's default processing.
  virtual std::optional<std::intptr_t> HandleMessage(const Message& message) = 0;
};

// A small modal dialog opened over the main one, seen through its controls.
class ChildDialogSurface {
 public:
  virtual ~ChildDialogSurface() = default;
  virtual void SetItemText(int id, const Text& text) = 0;
  virtual Text ItemText(int id) = 0;
  // Puts the keyboard focus into a control and selects its text.
  virtual void FocusItem(int id) = 0;
  // A message box with an OK button, owned by the dialog.
  virtual void ShowWarning(const Text& text) = 0;
  // A hotkey control's key. The control cannot show the Windows key: it is left out.
  virtual void SetHotkey(int id, Hotkey key) = 0;
  virtual Hotkey GetHotkey(int id) = 0;
  virtual void EndDialog(int result) = 0;
};

class ChildDialog : public MessageTarget {
 public:
  virtual int TemplateId() const = 0;
  // Called before the dialog receives its first message.
  virtual void Attach(ChildDialogSurface& surface) = 0;
};

// A child dialog that OK ends once its own checks pass, and that Escape, the close box and
// キャンセル end at once, changing nothing.
class OkCancelDialog : public ChildDialog {
 public:
  void Attach(ChildDialogSurface& surface) override { surface_ = &surface; }
  std::optional<std::intptr_t> HandleMessage(const Message& message) override {
    if (message.id == kWmInitDialog) {
      OnInitDialog();
      return 1;  // the dialog manager gives the focus to the first tab stop
    }
    if (message.id != kWmCommand || HighWord(message.wparam) != 0) return std::nullopt;
    if (LowWord(message.wparam) == kIdOk) {
      OnOK();
      return 0;
    }
    if (LowWord(message.wparam) == kIdCancel) {
      surface_->EndDialog(kIdCancel);
      return 0;
    }
    return std::nullopt;
  }

 protected:
  virtual void OnInitDialog() = 0;
  virtual void OnOK() = 0;

  ChildDialogSurface* surface_ = nullptr;
};

class DialogSurface {
 public:
  virtual ~DialogSurface() = default;

  virtual WindowRef Window() = 0;
  // Finds the dialog's controls; runs first in the dialog's initialisation.
  virtual void BindControls() = 0;
  virtual void SetCaption(const Text& caption) = 0;
  // Gives the dialog its big and small icon.
  virtual void SetIcons() = 0;
  // Ends the modal run with `result`; the window is destroyed once the handler returns.
  virtual void EndDialog(int result) = 0;
  // Whether EndDialog has been called: the run ends once the current message is handled.
  virtual bool IsEnding() = 0;

  // The window list control: entries with a label and a window reference.
  virtual WindowRef WindowListControl() = 0;
  virtual void ClearWindowList() = 0;
  // Drawing of the list off while it is rebuilt; back on, the list is repainted once.
  virtual void SetWindowListRedraw(bool on) = 0;
  // False when the control refuses the entry (out of memory).
  virtual bool AddWindowListEntry(const Text& label, WindowRef window) = 0;
  virtual std::size_t WindowListCount() = 0;
  // Nothing when there is no entry at `index`.
  virtual std::optional<Text> WindowListLabel(std::size_t index) = 0;
  virtual std::optional<WindowRef> WindowListWindow(std::size_t index) = 0;
  virtual std::optional<std::size_t> WindowListSelection() = 0;
  // Selects without a selection-change notification.
  virtual void SelectWindowListEntry(std::size_t index) = 0;
  // The entry nearest to a point on the screen, also below the last one; nothing when the
  // list is empty.
  virtual std::optional<std::size_t> WindowListEntryNear(Point screen) = 0;

  // Gives the dialog window the keyboard focus.
  virtual void Focus() = 0;

  // Creates the tooltip control with one tool per control of kTooltips.
  virtual void SetUpTooltips() = 0;
  virtual void ActivateTooltips(bool active) = 0;

  // Shows a popup menu at a point on the screen and returns when it has closed; the chosen
  // item reaches the dialog afterwards as a command.
  virtual void ShowPopupMenu(const Menu& menu, Point at) = 0;

  // The notification-area icon; false when the shell refused it.
  virtual bool AddTrayIcon() = 0;
  virtual void RemoveTrayIcon() = 0;
  // The message the shell broadcasts when the task bar is created anew.
  virtual std::uint32_t TaskbarCreatedMessage() = 0;

  virtual void AppendToSystemMenu(const Menu& items) = 0;

  // Opens the help file beside the program; false when there is none.
  virtual bool OpenHelpFile() = 0;
  // Tells the help viewer to quit, if one was opened.
  virtual void QuitHelp() = 0;
  virtual void ShowInformation(const Text& text) = 0;

  // A control's screen rectangle, and moving it within the dialog's client area.
  virtual std::optional<Rect> ControlRect(int id) = 0;
  virtual void MoveControl(int id, const Rect& client) = 0;
  // A paint pass that only erases the icon's background.
  virtual void PaintMinimized() = 0;
  // The icon shown while the minimized dialog is dragged.
  virtual std::intptr_t DragIcon() = 0;

  // A string of the program's string table; empty when there is none.
  virtual Text StringResource(int id) = 0;
  // Starts or restarts timer `id` on the dialog; its ticks arrive as WM_TIMER. Gives the
  // timer's identifier, 0 when it could not be started.
  virtual std::uint32_t SetTimer(std::uint32_t id, std::uint32_t interval) = 0;
  virtual void KillTimer(std::uint32_t id) = 0;
  // Runs `dialog` modally over the main dialog; gives the result it ended with.
  virtual int RunChildDialog(ChildDialog& dialog) = 0;

  // A system-wide hotkey whose presses arrive as WM_HOTKEY with `id`; false when another
  // program holds the key.
  virtual bool RegisterHotkey(int id, Hotkey key) = 0;
  virtual void UnregisterHotkey(int id) = 0;
  // A notification from the notification-area icon.
  virtual void ShowTrayBalloon(const Text& title, const Text& text) = 0;
  // Lets command processes find the dialog: from now on they hand their commands to it.
  virtual void AcceptCommands() = 0;
  // Answers the command message being handled: sends `output` to the command process's
  // window, then lets it go on with `code` while the dialog may still be busy.
  virtual void AnswerCommand(WindowRef reply_to, int code, const Text& output) = 0;
};

// Runs a dialog modally on the current thread.
class DialogHost : public DialogSurface {
 public:
  // Creates the main dialog, delivers its messages to `target` until EndDialog, destroys it.
  virtual int RunModal(MessageTarget& target) = 0;
};

}  // namespace stackle
