// The program's entry point: the Win32 adapters handed to the portable application.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include "app/layer_app.h"
#include "platform/win32/win32_dialog.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_instance_guard.h"
#include "platform/win32/win32_window_system.h"
#include "res/resource.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Load system libraries only from system32, never from the current directory, which is
  // where Stackle reads its files.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  stackle::win32::Win32WindowSystem windows;
  stackle::win32::Win32Dialog dialog(instance, IDD_STACKLE);
  stackle::win32::Win32Files files;
  stackle::win32::Win32InstanceGuard guard;
  stackle::CLayerApp app({windows, dialog, files, guard});
  app.InitInstance();
  return app.ExitInstance();
}
