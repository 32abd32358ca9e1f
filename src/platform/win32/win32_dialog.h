// The main dialog on Windows: created from its template, run in a modal loop of our own, every
// message handed to the portable message table.
#pragma once

#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

#include <string>

#include "platform/win32/unique_resource.h"
#include "ui/dialog.h"

namespace stackle::win32 {

class Win32Dialog final : public DialogHost {
 public:
  Win32Dialog(HINSTANCE instance, int template_id) : instance_(instance), template_(template_id) {}

  int RunModal(MessageTarget& target) override;

  WindowRef Window() override;
  void BindControls() override;
  void SetCaption(const Text& caption) override;
  void SetIcons() override;
  void EndDialog(int result) override;
  bool IsEnding() override { return ended_; }
  WindowRef WindowListControl() override;
  void ClearWindowList() override;
  void SetWindowListRedraw(bool on) override;
  bool AddWindowListEntry(const Text& label, WindowRef window) override;
  std::size_t WindowListCount() override;
  std::optional<Text> WindowListLabel(std::size_t index) override;
  std::optional<WindowRef> WindowListWindow(std::size_t index) override;
  std::optional<std::size_t> WindowListSelection() override;
  void SelectWindowListEntry(std::size_t index) override;
  std::optional<std::size_t> WindowListEntryNear(Point screen) override;
  void Focus() override;
  void SetUpTooltips() override;
  void ActivateTooltips(bool active) override;
  void ShowPopupMenu(const Menu& menu, Point at) override;
  bool AddTrayIcon() override;
  void RemoveTrayIcon() override;
  std::uint32_t TaskbarCreatedMessage() override;
  void AppendToSystemMenu(const Menu& items) override;
  bool OpenHelpFile() override;
  void QuitHelp() override;
  void ShowInformation(const Text& text) override;
  std::optional<Rect> ControlRect(int id) override;
  void MoveControl(int id, const Rect& client) override;
  void PaintMinimized() override;
  std::intptr_t DragIcon() override;
  Text StringResource(int id) override;
  std::uint32_t SetTimer(std::uint32_t id, std::uint32_t interval) override;
  void KillTimer(std::uint32_t id) override;
  int RunChildDialog(ChildDialog& dialog) override;
  bool RegisterHotkey(int id, Hotkey key) override;
  void UnregisterHotkey(int id) override;
  void ShowTrayBalloon(const Text& title, const Text& text) override;
  void AcceptCommands() override;
  void AnswerCommand(WindowRef reply_to, int code, const Text& output) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  // The identity of the notification-area icon: this dialog's window and its number.
  NOTIFYICONDATAW TrayIconData() const;

  HINSTANCE instance_;
  int template_;
  MessageTarget* target_ = nullptr;
  HWND window_ = nullptr;
  HWND window_list_ = nullptr;
  HWND tooltip_ = nullptr;
  bool ended_ = false;
  bool saw_size_ = false;
  int result_ = 0;
  UniqueIcon big_icon_;
  UniqueIcon small_icon_;
  UniqueIcon tray_icon_;
  std::uint32_t taskbar_created_ = 0;
  // The help file the viewer was asked to show, if it was.
  std::wstring help_file_;
};

}  // namespace stackle::win32
