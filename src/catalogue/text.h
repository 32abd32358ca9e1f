// Text helpers that do not depend on the system's code page.
#pragma once

#include <string>
#include <string_view>

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

// True when `needle` occurs in `text` starting and ending at character boundaries, so that
// neither end falls between the two halves of a surrogate pair. Case-sensitive; an empty
// needle occurs in every text.
bool ContainsWholeCharacters(std::u16string_view text, std::u16string_view needle);

}  // namespace stackle
