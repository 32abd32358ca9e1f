// Rule patterns on any text: the matcher agrees with a plain table of every prefix pair, and
// takes time linear in the value (a long value is matched too; libFuzzer's time limit catches
// a blow-up). The first byte chooses where the pattern ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "catalogue/text.h"
#include "remote/rules.h"

namespace {

// The definition itself, by dynamic programming, with folding left out: the inputs here are
// folded already, as they hold no letters of a case.
bool Plain(std::u16string_view pattern, std::u16string_view value) {
  std::vector<std::vector<bool>> at(pattern.size() + 1, std::vector<bool>(value.size() + 1));
  at[0][0] = true;
  for (std::size_t p = 1; p <= pattern.size(); ++p) {
    for (std::size_t v = 0; v <= value.size(); ++v) {
      const char16_t c = pattern[p - 1];
      at[p][v] = c == u'*' ? at[p - 1][v] || (v > 0 && at[p][v - 1])
                           : v > 0 && at[p - 1][v - 1] && (c == u'?' || c == value[v - 1]);
    }
  }
  return at[pattern.size()][value.size()];
}

// Digits and a few signs: no case to fold, no surrogates, stars and question marks often.
stackle::Text Alphabet(const std::uint8_t* data, std::size_t size) {
  static constexpr char16_t kLetters[] = u"0123*?*?01";
  stackle::Text text;
  for (std::size_t i = 0; i < size; ++i)
    text.push_back(kLetters[data[i] % 10]);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t split = 1 + data[0] % (size - 1);
  const stackle::Text pattern_text = Alphabet(data + 1, split - 1);
  stackle::Text value = Alphabet(data + split, size - split);
  std::erase_if(value, [](char16_t c) { return c == u'*' || c == u'?'; });
  const auto pattern = stackle::Pattern::Parse(pattern_text);
  if (!pattern) return 0;
  if (value.size() <= 64 && pattern->Matches(value) != Plain(pattern_text, value)) std::abort();
  // The same value many times over: linear, however many stars.
  stackle::Text long_value;
  while (long_value.size() < 10000 && !value.empty() &&
         pattern_text.find(u'*') != stackle::Text::npos)
    long_value += value;
  pattern->Matches(long_value);
  return 0;
}
