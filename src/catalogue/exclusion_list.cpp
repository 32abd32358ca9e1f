#include "catalogue/exclusion_list.h"

#include "catalogue/text.h"

namespace stackle {

std::vector<Text> ParseExclusionFile(std::string_view bytes, FileStore& files) {
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  const Text text = bytes.starts_with(kUtf8Bom) ? DecodeUtf8(bytes.substr(kUtf8Bom.size()))
                                                : files.DecodeAnsi(bytes);
  std::vector<Text> entries;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u'\n', start);
    const bool last = end == Text::npos;
    if (last) end = text.size();
    std::size_t content_end = end;
    if (!last && content_end > start && text[content_end - 1] == u'\r') --content_end;
    entries.emplace_back(text, start, content_end - start);
    start = end + 1;
  }
  return entries;
}

void ExclusionList::Load(FileStore& files) {
  if (auto bytes = files.ReadFile(kExclusionFileName)) entries_ = ParseExclusionFile(*bytes, files);
}

bool ExclusionList::Excludes(std::u16string_view title) const {
  for (const Text& entry : entries_) {
    if (ContainsWholeCharacters(title, entry)) return true;
  }
  return false;
}

}  // namespace stackle
