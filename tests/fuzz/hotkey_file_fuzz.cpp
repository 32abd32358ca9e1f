// stackle.ini as anyone may edit it: whatever it holds, the keys read are usable (none twice,
// none without Ctrl, Alt or Win but F13 to F24), and writing them back reads them back; the
// rules read are the same after the per-window menu adds a program's rule and takes it out.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "remote/ini_file.h"
#include "remote/rules.h"

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

  const auto lines = [](std::string_view ini) {
    std::vector<std::string> read;
    for (const Rule& rule : ReadRules(ini).rules)
      read.push_back(rule.line);
    return read;
  };
  const std::u16string_view name = u"fuzz me.exe";
  const std::string added =
      ToggleProgramRule(content, RuleAction::kTop, name, PinProgramLine(name));
  const std::string removed = ToggleProgramRule(added, RuleAction::kTop, name, {});
  std::vector<std::string> before = lines(content);
  std::erase_if(before, [&](const std::string& line) {
    const auto rule = ReadRules("[Rules]\n" + line).rules;
    return !rule.empty() && IsProgramRule(rule[0], RuleAction::kTop, name);
  });
  if (lines(removed) != before) std::abort();
  return 0;
}
