#include "catalogue/text.h"

namespace stackle {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(Text& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// A character boundary lies between index-1 and index unless they form a surrogate pair.
bool IsBoundary(std::u16string_view text, std::size_t index) {
  if (index == 0 || index >= text.size()) return true;
  return !(IsHighSurrogate(text[index - 1]) && IsLowSurrogate(text[index]));
}

}  // namespace

Text DecodeUtf8(std::string_view bytes, bool* valid_text) {
  if (valid_text) *valid_text = true;
  Text out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, cp = lead & 0x07, minimum = 0x10000;
    }
    std::size_t taken = 1;
    bool valid = length != 0;
    while (valid && taken < length) {
      if (i + taken >= bytes.size()) {
        valid = false;
        break;
      }
      const auto next = static_cast<unsigned char>(bytes[i + taken]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (next & 0x3F);
      ++taken;
    }
    if (valid && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) valid = false;
    if (valid) {
      AppendCodePoint(out, cp);
      i += length;
    } else {
      // Resynchronise on the next byte that is not a continuation byte.
      if (valid_text) *valid_text = false;
      out.push_back(kReplacement);
      i += taken;
    }
  }
  return out;
}

std::string EncodeUtf8(const Text& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

bool ContainsWholeCharacters(std::u16string_view text, std::u16string_view needle) {
  if (needle.empty()) return true;
  for (std::size_t at = text.find(needle); at != std::u16string_view::npos;
       at = text.find(needle, at + 1)) {
    if (IsBoundary(text, at) && IsBoundary(text, at + needle.size())) return true;
  }
  return false;
}

}  // namespace stackle
