// The yardstick for a command process: the least program that does what stackle.exe started with
// a switch has to do. It finds the running copy's dialog by its property, opens a message-only
// window for the answer, makes one WM_COPYDATA round trip and ends. The message carries no
// command, so the dialog answers it at once: Stackle's own work is measured as one refresh.
#include <windows.h>

#include "platform/win32/win32_command_channel.h"

namespace {

HWND FindCommandWindow() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM result) -> BOOL {
        if (!GetPropW(window, stackle::win32::kCommandWindowProperty)) return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const HWND target = FindCommandWindow();
  if (!target) return 4;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"MinimalCommandReply";
  RegisterClassW(&window_class);
  // As stackle.exe makes it, whose way is the cheapest to destroy under Wine.
  const HWND reply = stackle::win32::CreateMessageOnlyWindow(window_class.lpszClassName, instance);
  COPYDATASTRUCT data{0, 0, nullptr};
  DWORD_PTR result = 0;
  const bool answered =
      SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(reply),
                          reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &result);
  DestroyWindow(reply);
  return answered ? 0 : 4;
}
