// Text helpers that do not depend on the system's code page.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/types.h"

namespace stackle {

// The byte-order mark Notepad puts before UTF-8 text.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// UTF-8 to UTF-16. A byte that does not start or continue a valid sequence (overlong forms,
// surrogates and values above U+10FFFF included) becomes U+FFFD, and clears `*valid`.
Text DecodeUtf8(std::string_view bytes, bool* valid = nullptr);
std::string EncodeUtf8(const Text& text);

inline bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// At most `length` code units of `text`, never ending between the halves of a surrogate pair.
inline std::u16string_view Shortened(std::u16string_view text, std::size_t length) {
  if (text.size() <= length) return text;
  if (length > 0 && IsHighSurrogate(text[length - 1])) --length;
  return text.substr(0, length);
}

// ASCII letters compared without case, every other character as it is.
template <typename Char>
constexpr Char AsciiLower(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}
template <typename Char>
bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> a,
                             std::type_identity_t<std::basic_string_view<Char>> b) {
  return std::ranges::equal(a, b, [](Char x, Char y) { return AsciiLower(x) == AsciiLower(y); });
}

// A hexadecimal digit's value, of either case; -1 for any other character.
constexpr int HexDigitValue(char c) {
  c = AsciiLower(c);
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// `text` without the characters of `blanks` at either end.
template <typename Char>
std::basic_string_view<Char> Trim(std::basic_string_view<Char> text,
                                  std::type_identity_t<std::basic_string_view<Char>> blanks) {
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == text.npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The lines of `text`, each without its LF and a CR right before it. A line end at the very end
// starts no further line; a CR anywhere else stays.
template <typename Char>
std::vector<std::basic_string_view<Char>> SplitLines(std::basic_string_view<Char> text) {
  std::vector<std::basic_string_view<Char>> lines;
  while (!text.empty()) {
    const std::size_t end = text.find(Char('\n'));
    std::basic_string_view<Char> line = text.substr(0, end);
    if (end == text.npos) {
      lines.push_back(line);
      break;
    }
    if (line.ends_with(Char('\r'))) line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(end + 1);
  }
  return lines;
}

// ASCII text, character for character, as UTF-16.
inline Text WidenAscii(std::string_view text) {
  return Text(text.begin(), text.end());
}

// True when `needle` occurs in `text` starting and ending at character boundaries, so that
// neither end falls between the two halves of a surrogate pair. Case-sensitive; an empty
// needle occurs in every text.
bool ContainsWholeCharacters(std::u16string_view text, std::u16string_view needle);

}  // namespace stackle
