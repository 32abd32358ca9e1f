#include "remote/rules.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "catalogue/opacity_register.h"
#include "catalogue/text.h"
#include "remote/ini_file.h"

namespace stackle {
namespace {

constexpr char32_t kAnyOne = 0xFFFFFFFF;  // `?` in a folded part
// Longer patterns are refused: nothing a rule needs to name comes close.
constexpr std::size_t kMaxPattern = 1024;

// Letters without case: ASCII, Latin-1, Greek, Cyrillic and the full-width Latin letters that
// Japanese text uses.
char32_t Fold(char32_t c) {
  if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
      (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F) ||
      (c >= 0xFF21 && c <= 0xFF3A)) {
    return c + 0x20;
  }
  return c;
}

// Whole characters, folded: a surrogate pair is one character.
std::u32string Folded(std::u16string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    out.push_back(Fold(c));
  }
  return out;
}

bool SameAt(std::u32string_view part, std::u32string_view value, std::size_t at) {
  if (at + part.size() > value.size()) return false;
  for (std::size_t i = 0; i < part.size(); ++i)
    if (part[i] != kAnyOne && part[i] != value[at + i]) return false;
  return true;
}

// Where the leftmost occurrence of `part` in `value` from `from` ends; nothing when there is
// none. Shift-and: one pass over the value, whatever the part holds.
std::optional<std::size_t> FindEnd(std::u32string_view part, std::u32string_view value,
                                   std::size_t from) {
  const std::size_t words = (part.size() + 63) / 64;
  using Bits = std::vector<std::uint64_t>;
  Bits any(words), state(words);
  std::vector<std::pair<char32_t, Bits>> masks;  // by character, sorted
  for (std::size_t j = 0; j < part.size(); ++j) {
    if (part[j] == kAnyOne) any[j / 64] |= std::uint64_t{1} << (j % 64);
  }
  for (std::size_t j = 0; j < part.size(); ++j) {
    if (part[j] == kAnyOne) continue;
    auto at = std::ranges::lower_bound(masks, part[j], {}, &std::pair<char32_t, Bits>::first);
    if (at == masks.end() || at->first != part[j]) at = masks.insert(at, {part[j], any});
    at->second[j / 64] |= std::uint64_t{1} << (j % 64);
  }
  const std::size_t last = part.size() - 1;
  for (std::size_t i = from; i < value.size(); ++i) {
    const auto at =
        std::ranges::lower_bound(masks, value[i], {}, &std::pair<char32_t, Bits>::first);
    const Bits& mask = at != masks.end() && at->first == value[i] ? at->second : any;
    std::uint64_t carry = 1;  // a match may start at every character
    for (std::size_t w = 0; w < words; ++w) {
      const std::uint64_t next_carry = state[w] >> 63;
      state[w] = ((state[w] << 1) | carry) & mask[w];
      carry = next_carry;
    }
    if (state[last / 64] >> (last % 64) & 1) return i + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Pattern> Pattern::Parse(std::u16string_view text) {
  if (text.empty() || text.size() > kMaxPattern) return std::nullopt;
  Pattern pattern;
  pattern.text_ = Text(text);
  const std::u32string folded = Folded(text);
  pattern.starts_with_star_ = folded.front() == U'*';
  pattern.ends_with_star_ = folded.back() == U'*';
  std::u32string part;
  for (char32_t c : folded) {
    if (c != U'*') {
      part.push_back(c == U'?' ? kAnyOne : c);
    } else if (!part.empty()) {
      pattern.parts_.push_back(std::exchange(part, {}));
    }
  }
  if (!part.empty()) pattern.parts_.push_back(std::move(part));
  return pattern;
}

bool Pattern::Matches(std::u16string_view text) const {
  const std::u32string value = Folded(text);
  if (parts_.empty()) return starts_with_star_ || value.empty();
  if (!starts_with_star_ && !ends_with_star_ && parts_.size() == 1) {
    return value.size() == parts_[0].size() && SameAt(parts_[0], value, 0);
  }
  std::size_t at = 0;
  for (std::size_t i = 0; i < parts_.size(); ++i) {
    const std::u32string& part = parts_[i];
    if (i == 0 && !starts_with_star_) {
      if (!SameAt(part, value, 0)) return false;
      at = part.size();
    } else if (i + 1 == parts_.size() && !ends_with_star_) {
      // The last part sits at the very end, after everything matched before it.
      return value.size() >= at + part.size() && SameAt(part, value, value.size() - part.size());
    } else {
      // The leftmost place is always as good as any later one.
      const auto end = FindEnd(part, value, at);
      if (!end) return false;
      at = *end;
    }
  }
  return true;
}

std::u16string_view FileNameOf(std::u16string_view path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == path.npos ? path : path.substr(slash + 1);
}

bool Matches(const Rule& rule, const WindowFacts& facts) {
  if (rule.title && !rule.title->Matches(facts.title)) return false;
  if (rule.class_name && !rule.class_name->Matches(facts.class_name)) return false;
  if (rule.exe) {
    const bool whole_path = rule.exe->text().find(u'\\') != Text::npos;
    if (!rule.exe->Matches(whole_path ? std::u16string_view(facts.program_path)
                                      : FileNameOf(facts.program_path))) {
      return false;
    }
  }
  return true;
}

namespace {

constexpr std::u16string_view kBlanks = u" \t";

struct ActionName {
  std::u16string_view name;
  RuleAction action;
};
constexpr ActionName kActions[] = {{u"Top", RuleAction::kTop},
                                   {u"Hide", RuleAction::kHide},
                                   {u"Priority", RuleAction::kPriority},
                                   {u"Opacity", RuleAction::kOpacity}};

struct PriorityName {
  std::u16string_view name;
  PriorityClass priority;
};
// Never realtime: a rule acts unseen, and a program at realtime can starve the whole system.
constexpr PriorityName kPriorities[] = {{u"idle", PriorityClass::kIdle},
                                        {u"normal", PriorityClass::kNormal},
                                        {u"high", PriorityClass::kHigh}};

// The next blank-separated word of `rest`, a quoted part taken whole; nothing when a quote is
// not closed.
std::optional<std::u16string_view> NextWord(std::u16string_view& rest) {
  rest = Trim(rest, kBlanks);
  std::size_t end = 0;
  while (end < rest.size() && kBlanks.find(rest[end]) == rest.npos) {
    if (rest[end++] != u'"') continue;
    end = rest.find(u'"', end);
    if (end == rest.npos) return std::nullopt;
    ++end;
  }
  const std::u16string_view word = rest.substr(0, end);
  rest.remove_prefix(end);
  return word;
}

// Why the line is not understood; empty when `rule` holds it.
std::string ParseRule(std::u16string_view line, Rule& rule) {
  const std::size_t equals = line.find(u'=');
  const std::u16string_view name = Trim(line.substr(0, equals), kBlanks);
  const auto* action = std::ranges::find_if(
      kActions, [&](const ActionName& a) { return EqualsIgnoringAsciiCase(name, a.name); });
  if (equals == line.npos || action == std::end(kActions)) return "不明な操作";
  rule.action = action->action;
  std::u16string_view rest = line.substr(equals + 1);
  if (rule.action == RuleAction::kPriority) {
    const auto word = NextWord(rest).value_or(u"");
    const auto* priority = std::ranges::find_if(
        kPriorities, [&](const PriorityName& p) { return EqualsIgnoringAsciiCase(word, p.name); });
    if (priority == std::end(kPriorities)) return "優先度は idle、normal、high のどれかです";
    rule.priority = priority->priority;
  }
  if (rule.action == RuleAction::kOpacity) {
    const auto percent = ParseOpacity(NextWord(rest).value_or(u""));
    if (!percent) return "不透明度は 20 から 100 までの整数です";
    rule.opacity = *percent;
  }
  while (!Trim(rest, kBlanks).empty()) {
    const auto word = NextWord(rest);
    if (!word) return "引用符が閉じていません";
    const std::size_t colon = word->find(u':');
    const std::u16string_view field = word->substr(0, colon);
    std::optional<Pattern>* condition = EqualsIgnoringAsciiCase(field, u"title") ? &rule.title
                                        : EqualsIgnoringAsciiCase(field, u"class")
                                            ? &rule.class_name
                                        : EqualsIgnoringAsciiCase(field, u"exe") ? &rule.exe
                                                                                 : nullptr;
    if (colon == word->npos || !condition) return "不明な条件";
    if (condition->has_value()) return "2 度目の条件";
    std::u16string_view text = word->substr(colon + 1);
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') {
      text = text.substr(1, text.size() - 2);
    }
    *condition = Pattern::Parse(text);
    if (!condition->has_value()) return text.empty() ? "空のパターン" : "長すぎるパターン";
  }
  if (!rule.title && !rule.class_name && !rule.exe) return "条件がありません";
  return {};
}

}  // namespace

RuleBook ReadRules(std::string_view content) {
  RuleBook book;
  for (std::string_view line : SectionLines(content, kRuleSection)) {
    Rule rule;
    rule.line = std::string(line);
    const std::string why = ParseRule(DecodeUtf8(line), rule);
    if (why.empty()) {
      book.rules.push_back(std::move(rule));
    } else {
      book.problems.push_back(why + ": " + EncodeUtf8(Text(Shortened(DecodeUtf8(line), 80))));
    }
  }
  return book;
}

Text DescribeRules(const RuleBook& book,
                   const std::function<std::optional<RuleCount>(const Rule&)>& count_of) {
  const auto number = [](int n) { return WidenAscii(std::to_string(n)); };
  Text report;
  for (const Rule& rule : book.rules) {
    report += DecodeUtf8(rule.line) + u"\t有効";
    if (const auto count = count_of ? count_of(rule) : std::nullopt) {
      report +=
          u" (適用 " + number(count->acted) + u" 回、拒否 " + number(count->refused) + u" 回)";
    }
    report += u"\r\n";
  }
  for (const std::string& problem : book.problems)
    report += u"無効: " + DecodeUtf8(problem) + u"\r\n";
  return report;
}

namespace {

std::string ExeCondition(std::u16string_view file_name) {
  const bool blank = file_name.find_first_of(kBlanks) != file_name.npos;
  return "exe:" + EncodeUtf8((blank ? u"\"" : u"") + Text(file_name) + (blank ? u"\"" : u""));
}

}  // namespace

std::string PinProgramLine(std::u16string_view file_name) {
  return "Top=" + ExeCondition(file_name);
}

std::string KeepPriorityLine(PriorityClass priority, std::u16string_view file_name) {
  const auto* name = std::ranges::find(kPriorities, priority, &PriorityName::priority);
  return "Priority=" + EncodeUtf8(Text(name == std::end(kPriorities) ? u"normal" : name->name)) +
         " " + ExeCondition(file_name);
}

bool IsProgramRule(const Rule& rule, RuleAction action, std::u16string_view file_name) {
  return rule.action == action && !rule.title && !rule.class_name && rule.exe &&
         EqualsIgnoringAsciiCase(std::u16string_view(rule.exe->text()), file_name);
}

bool HasProgramRule(const RuleBook& book, RuleAction action, std::u16string_view file_name) {
  return std::ranges::any_of(
      book.rules, [&](const Rule& rule) { return IsProgramRule(rule, action, file_name); });
}

std::string ToggleProgramRule(std::string_view ini, RuleAction action,
                              std::u16string_view file_name, const std::string& line) {
  bool had = false;
  std::string out = EditSection(ini, kRuleSection,
                                [&](std::string_view text) {
                                  Rule rule;
                                  const bool program_rule =
                                      ParseRule(DecodeUtf8(text), rule).empty() &&
                                      IsProgramRule(rule, action, file_name);
                                  had |= program_rule;
                                  return program_rule;
                                },
                                {});
  return had ? out : EditSection(ini, kRuleSection, [](std::string_view) { return false; }, {line});
}

}  // namespace stackle
