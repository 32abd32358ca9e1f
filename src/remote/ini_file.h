// stackle.ini: sections of "Name=Value" lines that people edit by hand. Stackle reads its own
// sections and, when it writes one, keeps every other line as it stands.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_store.h"
#include "remote/hotkey_text.h"

namespace stackle {

inline constexpr char16_t kIniFileName[] = u"stackle.ini";

// stackle.ini as read. A file that is there but was not read whole, or that is in UTF-16,
// gives no content: Stackle never writes it again from what it did not read.
struct IniText {
  std::optional<std::string> content;  // empty for a missing file
  std::string problem;  // why there is no content, as ホットキーの設定 lists it
};
IniText ReadIniFile(FileStore& files);

// The lines of section `name` (its "[name]" header matched without case), trimmed, without
// blank lines and comments (";" or "#"), in file order. A UTF-8 byte-order mark is skipped.
std::vector<std::string_view> SectionLines(std::string_view content, std::string_view name);
// The file with section `name` replaced by `lines`, at its end; every other line kept, and
// a UTF-8 byte-order mark.
std::string ReplaceSection(std::string_view content, std::string_view name,
                           const std::vector<std::string>& lines);

// The file with the lines of section `name` for which `drop` holds taken out (blank lines and
// comments stay), and `add` appended to the section, which is made at the end of the file when
// there is none. Every other line stays where it is.
std::string EditSection(std::string_view content, std::string_view name,
                        const std::function<bool(std::string_view line)>& drop,
                        const std::vector<std::string>& add);

struct HotkeyFile {
  HotkeySet keys = DefaultHotkeys();
  // The lines of the [Hotkeys] section that were not understood, and why.
  std::vector<std::string> problems;
};

// The [Hotkeys] section, read as far as it makes sense: a line not understood turns its
// action off and is reported; an action without a line keeps its default; a name or a key
// given a second time is reported and the first one stands.
HotkeyFile ReadHotkeyFile(std::string_view content);
// The file with its [Hotkeys] section replaced by `keys`.
std::string WriteHotkeyFile(std::string_view content, const HotkeySet& keys);

}  // namespace stackle
