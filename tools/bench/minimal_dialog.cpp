// The yardstick for Stackle's start-up and memory: the least dialog program that shows the
// visible, titled top-level windows in a list box, as Stackle's list does.
#include <windows.h>

#include "res/resource.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND list = GetDlgItem(dialog, IDC_WINDOW_LIST);
      for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t title[512];
        if (IsWindowVisible(w) && GetWindowTextW(w, title, 512) > 0) {
          SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title));
        }
      }
      return TRUE;
    }
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return static_cast<int>(
      DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_STACKLE), nullptr, DialogProc, 0));
}
