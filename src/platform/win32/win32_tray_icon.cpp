#include "platform/win32/win32_tray_icon.h"

// After <windows.h>, which it needs.
#include <shellapi.h>

#include "platform/win32/system_function.h"
#include "platform/win32/text_win32.h"
#include "res/resource.h"

namespace stackle::win32 {
namespace {

// Shell_NotifyIconW, from shell32 loaded when the icon is first needed rather than by the
// loader: loading it takes tens of milliseconds that would come before the dialog shows.
BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
  static const auto notify =
      SystemFunction<BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*)>(L"shell32.dll", "Shell_NotifyIconW");
  return notify ? notify(message, data) : FALSE;
}

// The icon's identity: the dialog's window and this number.
NOTIFYICONDATAW IconData(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 0;
  return data;
}

}  // namespace

UINT TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

bool Win32NotifyIcon::Add() {
  requested_ = true;
  if (!icon_) {
    icon_ = UniqueIcon(static_cast<HICON>(
        ::LoadImageW(dialog_.Instance(), MAKEINTRESOURCEW(IDI_STACKLE), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
  }
  NOTIFYICONDATAW data = IconData(dialog_.Hwnd());
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TRAYNOTIFY;
  data.hIcon = icon_.get();
  ::lstrcpynW(data.szTip, L"Stackle", ARRAYSIZE(data.szTip));
  return ShellNotifyIcon(NIM_ADD, &data) != FALSE;
}

bool Win32NotifyIcon::Replace() {
  NOTIFYICONDATAW data = IconData(dialog_.Hwnd());
  ShellNotifyIcon(NIM_DELETE, &data);
  return Add();
}

void Win32NotifyIcon::Remove() {
  if (!requested_) return;  // never added
  NOTIFYICONDATAW data = IconData(dialog_.Hwnd());
  ShellNotifyIcon(NIM_DELETE, &data);
}

void Win32NotifyIcon::ShowBalloon(const Text& title, const Text& text) {
  NOTIFYICONDATAW data = IconData(dialog_.Hwnd());
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_WARNING;
  ::lstrcpynW(data.szInfoTitle, Wide(title), ARRAYSIZE(data.szInfoTitle));
  ::lstrcpynW(data.szInfo, Wide(text), ARRAYSIZE(data.szInfo));
  ShellNotifyIcon(NIM_MODIFY, &data);
}

}  // namespace stackle::win32
