// The program's entry point: the Win32 adapters handed to the portable application. A command
// process makes only what its command uses: a script pays for every start, and the dialog's
// adapters and the common controls do nothing for it.
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

using namespace stackle::win32;

// The arguments after the program's name. Shell32, which splits them, is loaded only when
// there are some: loading it would delay the dialog of a plain start.
std::vector<stackle::Text> Arguments(PWSTR after_name) {
  std::vector<stackle::Text> arguments;
  if (!after_name) return arguments;
  while (*after_name == L' ' || *after_name == L'\t')
    ++after_name;
  if (*after_name == L'\0') return arguments;
  const auto split =
      SystemFunction<LPWSTR*(WINAPI*)(LPCWSTR, int*)>(L"shell32.dll", "CommandLineToArgvW");
  int count = 0;
  LPWSTR* argv = split ? split(::GetCommandLineW(), &count) : nullptr;
  for (int i = 1; argv && i < count; ++i)
    arguments.push_back(FromWide(argv[i], ::lstrlenW(argv[i])));
  if (argv) ::LocalFree(argv);
  return arguments;
}

int RunCommand(const std::vector<stackle::Text>& arguments) {
  Win32CommandLink link;
  Win32Console console;
  Win32Files files;
  return stackle::RunCommandLine(arguments, {.link = link, .console = console, .files = files});
}

int RunStackle(HINSTANCE instance) {
  // Loaded here rather than by the loader, which would load and initialise it for every command
  // process too: more than half of /?'s time under Wine. The manifest makes it version 6.
  if (const auto init = SystemFunction<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(
          L"comctl32.dll", "InitCommonControlsEx")) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    init(&controls);
  }
  Win32WindowSystem windows;
  Win32Dialog dialog(instance, IDD_STACKLE);
  Win32ListView list(dialog);
  Win32NotifyIcon tray(dialog);
  Win32HotkeyRegistrar hotkeys(dialog);
  Win32CommandServer commands(dialog);
  Win32WindowEvents events(dialog);
  Win32Files files;
  Win32InstanceGuard guard;
  stackle::CLayerApp app({.ports = {windows, dialog, list, tray, hotkeys, commands, events, files},
                          .host = dialog,
                          .guard = guard});
  return app.Run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR after_name, int) {
  // Load system libraries only from system32, never from the current directory, which is
  // where Stackle reads its files.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  const std::vector<stackle::Text> arguments = Arguments(after_name);
  return arguments.empty() ? RunStackle(instance) : RunCommand(arguments);
}
