// stackle.ini as anyone may edit it: whatever it holds, the keys read are usable (none twice,
// none without Ctrl, Alt or Win but F13 to F24), and writing them back reads them back.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "remote/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace stackle;
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const HotkeyFile file = ReadHotkeyFile(content);
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
    const Hotkey key = file.keys[i];
    if (!IsUsableHotkey(key)) std::abort();
    if (!key.IsOff() && std::count(file.keys.begin(), file.keys.end(), key) != 1) std::abort();
  }
  const HotkeyFile again = ReadHotkeyFile(WriteHotkeyFile(content, file.keys));
  if (again.keys != file.keys || !again.problems.empty()) std::abort();
  return 0;
}
