// Text helpers that do not depend on the system's code page.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <type_traits>

#include "catalogue/window_system.h"

namespace stackle {

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

// True when `needle` occurs in `text` starting and ending at character boundaries, so that
// neither end falls between the two halves of a surrogate pair. Case-sensitive; an empty
// needle occurs in every text.
bool ContainsWholeCharacters(std::u16string_view text, std::u16string_view needle);

}  // namespace stackle
