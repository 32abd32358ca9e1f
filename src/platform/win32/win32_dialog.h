// The main dialog on Windows: created from its template, run in a modal loop of our own, every
// message handed to the portable message table. Beside it, its list box and hotkeys.
#pragma once

#include <windows.h>

#include <string>

#include "core/dialog_surface.h"
#include "core/hotkey_registrar.h"
#include "core/list_view.h"
#include "platform/win32/unique_resource.h"

namespace stackle::win32 {

// The window that the dialog's list box, hotkeys, icon and commands belong to.
class OwnWindow {
 public:
  virtual ~OwnWindow() = default;
  // Null until the window is created.
  virtual HWND Hwnd() const = 0;
  virtual HINSTANCE Instance() const = 0;
};

class Win32Dialog final : public DialogHost, public OwnWindow {
 public:
  Win32Dialog(HINSTANCE instance, int template_id) : instance_(instance), template_(template_id) {}

  int RunModal(MessageTarget& target) override;
  HWND Hwnd() const override { return window_; }
  HINSTANCE Instance() const override { return instance_; }

  WindowRef Window() override;
  void SetCaption(const Text& caption) override;
  void SetIcons() override;
  void EndDialog(int result) override;
  bool IsEnding() override { return ended_; }
  void Focus() override;
  void SetUpTooltips() override;
  void ActivateTooltips(bool active) override;
  void ShowPopupMenu(const Menu& menu, Point at) override;
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

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Dispatch(UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE instance_;
  int template_;
  MessageTarget* target_ = nullptr;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  bool ended_ = false;
  bool saw_size_ = false;
  int result_ = 0;
  UniqueIcon big_icon_;
  UniqueIcon small_icon_;
  // The help file the viewer was asked to show, if it was.
  std::wstring help_file_;
};

// The dialog's window list box.
class Win32ListView final : public ListView {
 public:
  explicit Win32ListView(const OwnWindow& dialog) : dialog_(dialog) {}

  WindowRef Control() override;
  void Clear() override;
  void SetRedraw(bool on) override;
  bool Add(const Text& label) override;
  std::optional<std::size_t> Selection() override;
  void Select(std::size_t index) override;
  std::optional<std::size_t> EntryNear(Point screen) override;

 private:
  // The list box of the dialog's current window, found once per window.
  HWND List();

  const OwnWindow& dialog_;
  HWND dialog_window_ = nullptr;
  HWND list_ = nullptr;
};

// Hotkeys registered for the dialog's window.
class Win32HotkeyRegistrar final : public HotkeyRegistrar {
 public:
  explicit Win32HotkeyRegistrar(const OwnWindow& dialog) : dialog_(dialog) {}

  bool Register(int id, Hotkey key) override;
  void Unregister(int id) override;

 private:
  const OwnWindow& dialog_;
};

}  // namespace stackle::win32
