// Title substrings read from nolist.txt; a window whose title contains one is not listed.
#pragma once

#include <string_view>
#include <vector>

#include "core/file_store.h"

namespace stackle {

inline constexpr char16_t kExclusionFileName[] = u"nolist.txt";

// One entry per line, without its line end (LF or CR LF), byte for byte; a blank line is an
// empty entry, which excludes every titled window. A line end at the very end adds no entry.
// The bytes are in the ANSI code page, or UTF-8 when they start with a UTF-8 byte-order mark.
std::vector<Text> ParseExclusionFile(std::string_view bytes, FileStore& files);

class ExclusionList {
 public:
  // Replaces the entries with the lines of nolist.txt. When the file cannot be read the
  // entries stay as they were.
  void Load(FileStore& files);

  void Replace(std::vector<Text> entries) { entries_ = std::move(entries); }
  bool Excludes(std::u16string_view title) const;
  const std::vector<Text>& Entries() const { return entries_; }

 private:
  std::vector<Text> entries_;
};

}  // namespace stackle
