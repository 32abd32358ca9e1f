#include "catalogue/exclusion_list.h"

#include <algorithm>

#include "catalogue/text.h"

namespace stackle {

namespace {

// UTF-8 after a byte-order mark. Without one, Notepad (since Windows 10 1903) writes UTF-8
// too: text that is valid UTF-8 and not plain ASCII is read as UTF-8, the rest in the ANSI
// code page. Text in a multi-byte code page is seldom valid UTF-8 by chance.
Text DecodeExclusionFile(std::string_view bytes, FileStore& files) {
  if (bytes.starts_with(kUtf8Bom)) return DecodeUtf8(bytes.substr(kUtf8Bom.size()));
  const bool ascii = std::ranges::all_of(bytes, [](char c) { return (c & 0x80) == 0; });
  bool valid = false;
  if (!ascii) {
    Text text = DecodeUtf8(bytes, &valid);
    if (valid) return text;
  }
  return files.DecodeAnsi(bytes);
}

}  // namespace

std::vector<Text> ParseExclusionFile(std::string_view bytes, FileStore& files) {
  const Text text = DecodeExclusionFile(bytes, files);
  std::vector<Text> entries;
  for (std::u16string_view line : SplitLines<char16_t>(text))
    entries.emplace_back(line);
  return entries;
}

void ExclusionList::Load(FileStore& files) {
  const FileContent content = files.ReadFile(kExclusionFileName);
  if (content.state == FileState::kRead) entries_ = ParseExclusionFile(content.bytes, files);
}

bool ExclusionList::Excludes(std::u16string_view title) const {
  for (const Text& entry : entries_) {
    if (ContainsWholeCharacters(title, entry)) return true;
  }
  return false;
}

}  // namespace stackle
