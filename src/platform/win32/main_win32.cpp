// The program's entry point: the Win32 adapters handed to the portable application.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include "app/layer_app.h"
#include "platform/win32/system_function.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win32_command_channel.h"
#include "platform/win32/win32_dialog.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_tray_icon.h"
#include "platform/win32/win32_window_events.h"
#include "platform/win32/win32_window_system.h"
#include "res/resource.h"

namespace {

// The arguments after the program's name. Shell32, which splits them, is loaded only when
// there are some: loading it would delay the dialog of a plain start.
std::vector<stackle::Text> Arguments(PWSTR after_name) {
  std::vector<stackle::Text> arguments;
  if (!after_name) return arguments;
  while (*after_name == L' ' || *after_name == L'\t')
    ++after_name;
  if (*after_name == L'\0') return arguments;
  const auto split = stackle::win32::SystemFunction<LPWSTR*(WINAPI*)(LPCWSTR, int*)>(
      L"shell32.dll", "CommandLineToArgvW");
  int count = 0;
  LPWSTR* argv = split ? split(::GetCommandLineW(), &count) : nullptr;
  for (int i = 1; argv && i < count; ++i)
    arguments.push_back(stackle::win32::FromWide(argv[i], ::lstrlenW(argv[i])));
  if (argv) ::LocalFree(argv);
  return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR after_name, int) {
  // Load system libraries only from system32, never from the current directory, which is
  // where Stackle reads its files.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  using namespace stackle::win32;
  Win32WindowSystem windows;
  Win32Dialog dialog(instance, IDD_STACKLE);
  Win32ListView list(dialog);
  Win32NotifyIcon tray(dialog);
  Win32HotkeyRegistrar hotkeys(dialog);
  Win32CommandServer commands(dialog);
  Win32WindowEvents events(dialog);
  Win32Files files;
  Win32InstanceGuard guard;
  Win32CommandLink link;
  Win32Console console;
  stackle::CLayerApp app({.ports = {windows, dialog, list, tray, hotkeys, commands, events, files},
                          .host = dialog,
                          .guard = guard,
                          .link = link,
                          .console = console});
  return app.Run(Arguments(after_name));
}
