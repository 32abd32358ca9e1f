// The small modal dialogs opened over the main one: About, and the hotkey settings.
#include "platform/win32/win32_dialog.h"

// After <windows.h>, which it needs.
#include <commctrl.h>

#include <algorithm>

#include "platform/win32/text_win32.h"

namespace stackle::win32 {
namespace {

// A modal dialog from a template, its messages handed to a portable ChildDialog.
class Win32ChildDialog final : public ChildDialogSurface {
 public:
  explicit Win32ChildDialog(ChildDialog& dialog) : dialog_(dialog) { dialog.Attach(*this); }

  int Run(HINSTANCE instance, HWND owner) {
    return static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(dialog_.TemplateId()),
                                              owner, Proc, reinterpret_cast<LPARAM>(this)));
  }

  void SetItemText(int id, const Text& text) override {
    ::SetDlgItemTextW(window_, id, Wide(text));
  }
  Text ItemText(int id) override {
    HWND item = ::GetDlgItem(window_, id);
    const int length = ::GetWindowTextLengthW(item);
    Text text(static_cast<std::size_t>(std::max(length, 0)) + 1, u'\0');
    const int copied = ::GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
  }
  void FocusItem(int id) override {
    HWND item = ::GetDlgItem(window_, id);
    ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    ::SendMessageW(item, EM_SETSEL, 0, -1);
  }
  void ShowWarning(const Text& text) override {
    ::MessageBoxW(window_, Wide(text), L"Stackle", MB_OK | MB_ICONEXCLAMATION);
  }
  void EndDialog(int result) override { ::EndDialog(window_, result); }
  void SetHotkey(int id, Hotkey key) override {
    const BYTE flags = ((key.modifiers & kModShift) ? HOTKEYF_SHIFT : 0) |
                       ((key.modifiers & kModControl) ? HOTKEYF_CONTROL : 0) |
                       ((key.modifiers & kModAlt) ? HOTKEYF_ALT : 0) |
                       // Page Up to Delete are the keys beside the number pad, not on it.
                       ((key.key >= VK_PRIOR && key.key <= VK_DELETE) ? HOTKEYF_EXT : 0);
    ::SendDlgItemMessageW(window_, id, HKM_SETHOTKEY, MAKEWORD(key.key, flags), 0);
  }
  Hotkey GetHotkey(int id) override {
    const auto value = static_cast<WORD>(::SendDlgItemMessageW(window_, id, HKM_GETHOTKEY, 0, 0));
    const BYTE key = LOBYTE(value), flags = HIBYTE(value);
    if (key == 0) return {};
    return {((flags & HOTKEYF_SHIFT) ? kModShift : 0u) |
                ((flags & HOTKEYF_CONTROL) ? kModControl : 0u) |
                ((flags & HOTKEYF_ALT) ? kModAlt : 0u),
            key};
  }

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
      ::SetWindowLongPtrW(window, GWLP_USERDATA, lparam);
      reinterpret_cast<Win32ChildDialog*>(lparam)->window_ = window;
    }
    auto* self = reinterpret_cast<Win32ChildDialog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return FALSE;
    const auto result = self->dialog_.HandleMessage({message, wparam, lparam});
    if (!result) return FALSE;
    if (message == WM_INITDIALOG) return static_cast<INT_PTR>(*result);
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, static_cast<LONG_PTR>(*result));
    return TRUE;
  }

  ChildDialog& dialog_;
  HWND window_ = nullptr;
};

}  // namespace

int Win32Dialog::RunChildDialog(ChildDialog& dialog) {
  Win32ChildDialog child(dialog);
  return child.Run(instance_, window_);
}

}  // namespace stackle::win32
