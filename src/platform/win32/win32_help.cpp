// Help: the help file's viewer where Windows still has one, the built-in text elsewhere.
#include <string>

#include "platform/win32/system_function.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win32_dialog.h"
#include "platform/win32/win32_module.h"

namespace stackle::win32 {

bool Win32Dialog::OpenHelpFile() {
  // Windows 8, 10 and 11 have no viewer for help files (only a stand-in that says so), and
  // none can be installed on them.
  const auto get_version =
      SystemFunction<LONG(WINAPI*)(OSVERSIONINFOW*)>(L"ntdll.dll", "RtlGetVersion");
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!get_version || get_version(&version) != 0 ||
      (version.dwMajorVersion << 8 | version.dwMinorVersion) >= 0x0602) {
    return false;
  }
  const auto directory = ModuleDirectory();
  if (!directory) return false;
  const std::wstring file = *directory + L"stackle.hlp";
  const DWORD attributes = ::GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  if (!::WinHelpW(window_, file.c_str(), HELP_CONTENTS, 0)) return false;
  help_file_ = file;
  return true;
}

void Win32Dialog::QuitHelp() {
  // Only a viewer that was started is told to quit: asking with none running would start one.
  if (!help_file_.empty()) ::WinHelpW(window_, help_file_.c_str(), HELP_QUIT, 0);
}

void Win32Dialog::ShowInformation(const Text& text) {
  ::MessageBoxW(window_, Wide(text), L"Stackle", MB_OK | MB_ICONINFORMATION);
}

}  // namespace stackle::win32
