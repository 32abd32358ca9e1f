// The dialog's own surface: what the main dialog does to its own window, and the small modal
// dialogs it opens over it. The Win32 host and the simulation both implement it.
#pragma once

#include <cstdint>
#include <optional>

#include "core/hotkey.h"
#include "core/menu.h"
#include "core/messages.h"

namespace stackle {

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

class DialogSurface {
 public:
  virtual ~DialogSurface() = default;

  virtual WindowRef Window() = 0;
  virtual void SetCaption(const Text& caption) = 0;
  // Gives the dialog its big and small icon.
  virtual void SetIcons() = 0;
  // Ends the modal run with `result`; the window is destroyed once the handler returns. From
  // then on no command process finds the dialog.
  virtual void EndDialog(int result) = 0;
  // Whether EndDialog has been called: the run ends once the current message is handled.
  virtual bool IsEnding() = 0;
  // Gives the dialog window the keyboard focus.
  virtual void Focus() = 0;

  // Creates the tooltip control with one tool per control of kTooltips.
  virtual void SetUpTooltips() = 0;
  virtual void ActivateTooltips(bool active) = 0;

  // Shows a popup menu at a point on the screen and returns when it has closed; the chosen
  // item reaches the dialog afterwards as a command.
  virtual void ShowPopupMenu(const Menu& menu, Point at) = 0;
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
};

// Runs a dialog modally on the current thread.
class DialogHost : public DialogSurface {
 public:
  // Creates the main dialog, delivers its messages to `target` until EndDialog, destroys it.
  virtual int RunModal(MessageTarget& target) = 0;
};

}  // namespace stackle
