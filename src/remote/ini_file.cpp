#include "remote/ini_file.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "catalogue/text.h"

namespace stackle {
namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kHotkeySection = "Hotkeys";
// The actions' names in the file, in the order of HotkeyAction.
constexpr std::string_view kActionNames[kHotkeyActionCount] = {
    "ToggleTopMost", "SendToBottom", "Hide",     "ShowAllHidden",
    "ShowStackle",   "OpacityDown",  "OpacityUp"};

// The section a header line opens; nothing for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line, kBlanks);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return line.substr(1, line.size() - 2);
}

// Whether a trimmed line inside a section is a setting: not blank, not a comment.
bool IsSetting(std::string_view line) {
  return !line.empty() && line.front() != ';' && line.front() != '#';
}

// The file's text after a UTF-8 byte-order mark.
std::string_view WithoutBom(std::string_view content) {
  if (content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
  return content;
}

}  // namespace

IniText ReadIniFile(FileStore& files) {
  FileContent file = files.ReadFile(kIniFileName);
  switch (file.state) {
    case FileState::kMissing:
      return {std::string(), {}};
    case FileState::kUnreadable:
      return {std::nullopt,
              "ファイルを読み込めません (ほかのプログラムが使用中か、読み取りが拒否されています)"};
    case FileState::kTooLarge:
      return {std::nullopt, "ファイルが大きすぎて読み込めません"};
    case FileState::kRead:
      break;
  }
  // Rewritten byte by byte, text in UTF-16 would be broken for whoever wrote it.
  const std::string_view bytes = file.bytes;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
      bytes.find('\0') != bytes.npos) {
    return {std::nullopt, "UTF-16 のファイルは読めません (UTF-8 で保存してください)"};
  }
  return {std::move(file.bytes), {}};
}

std::vector<std::string_view> SectionLines(std::string_view content, std::string_view name) {
  content = WithoutBom(content);
  std::vector<std::string_view> lines;
  bool inside = false;
  for (std::string_view raw : SplitLines(content)) {
    if (const auto section = SectionOf(raw)) {
      inside = EqualsIgnoringAsciiCase(*section, name);
      continue;
    }
    const std::string_view line = Trim(raw, kBlanks);
    if (inside && IsSetting(line)) {
      lines.push_back(line);
    }
  }
  return lines;
}

std::string ReplaceSection(std::string_view content, std::string_view name,
                           const std::vector<std::string>& lines) {
  std::string out(content.starts_with(kUtf8Bom) ? kUtf8Bom : "");
  bool inside = false;
  for (std::string_view raw : SplitLines(WithoutBom(content))) {
    if (const auto section = SectionOf(raw)) inside = EqualsIgnoringAsciiCase(*section, name);
    if (inside) continue;
    out.append(raw);
    // A CR before the end of the file without LF is kept as the line end it was meant as.
    if (!raw.ends_with('\r')) out += '\r';
    out += '\n';
  }
  out.append("[").append(name).append("]\r\n");
  for (const std::string& line : lines)
    out.append(line).append("\r\n");
  return out;
}

std::string EditSection(std::string_view content, std::string_view name,
                        const std::function<bool(std::string_view line)>& drop,
                        const std::vector<std::string>& add) {
  std::string out(content.starts_with(kUtf8Bom) ? kUtf8Bom : "");
  bool inside = false, found = false;
  const auto append = [&](std::string_view line) { out.append(line).append("\r\n"); };
  const auto add_all = [&] {
    for (const std::string& line : add)
      append(line);
  };
  for (std::string_view raw : SplitLines(WithoutBom(content))) {
    if (const auto section = SectionOf(raw)) {
      if (inside) add_all();
      inside = EqualsIgnoringAsciiCase(*section, name);
      found |= inside;
    } else if (inside) {
      const std::string_view line = Trim(raw, kBlanks);
      if (IsSetting(line) && drop(line)) continue;
    }
    append(raw.ends_with('\r') ? raw.substr(0, raw.size() - 1) : raw);
  }
  if (inside) add_all();
  if (!found && !add.empty()) {
    append(std::string("[").append(name).append("]"));
    add_all();
  }
  return out;
}

HotkeyFile ReadHotkeyFile(std::string_view content) {
  HotkeyFile file;
  std::array<bool, kHotkeyActionCount> given{};
  for (std::string_view line : SectionLines(content, kHotkeySection)) {
    const std::string shown(line.substr(0, 80));
    const std::size_t equals = line.find('=');
    const std::string_view name = Trim(line.substr(0, equals), kBlanks);
    const auto* action = std::ranges::find_if(
        kActionNames, [&](std::string_view n) { return EqualsIgnoringAsciiCase(name, n); });
    if (equals == std::string_view::npos || action == std::end(kActionNames)) {
      file.problems.push_back("不明な名前: " + shown);
      continue;
    }
    const auto index = static_cast<std::size_t>(action - std::begin(kActionNames));
    if (given[index]) {
      file.problems.push_back("2 度目の指定: " + shown);
      continue;
    }
    given[index] = true;
    const auto key = ParseHotkey(line.substr(equals + 1));
    file.keys[index] = {};
    if (!key || !IsUsableHotkey(*key)) {
      file.problems.push_back("キーが正しくありません: " + shown);
      continue;
    }
    // The action listed first keeps the key, whether from this file or by default.
    const auto holder = std::ranges::find(file.keys, *key);
    if (!key->IsOff() && holder != file.keys.end()) {
      if (given[static_cast<std::size_t>(holder - file.keys.begin())]) {
        file.problems.push_back("他の操作と同じキー: " + shown);
        continue;
      }
      *holder = {};
    }
    file.keys[index] = *key;
  }
  return file;
}

std::string WriteHotkeyFile(std::string_view content, const HotkeySet& keys) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i)
    lines.push_back(std::string(kActionNames[i]) + "=" + FormatHotkey(keys[i]));
  return ReplaceSection(content, kHotkeySection, lines);
}

}  // namespace stackle
