// Rules: what Stackle does to a program's window when it appears, kept in the [Rules] section
// of stackle.ini as lines like "Top=exe:notepad.exe" or "Priority=high exe:obs64.exe".
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"

namespace stackle {

// `*` (any run of characters) and `?` (one character) over a whole value; letters are compared
// without case. Matching takes time linear in the value for each part between stars, however
// many stars there are.
class Pattern {
 public:
  // Nothing for an empty pattern.
  static std::optional<Pattern> Parse(std::u16string_view text);
  bool Matches(std::u16string_view value) const;
  const Text& text() const { return text_; }

 private:
  Text text_;
  // The runs between stars, case folded; kAnyOne stands for `?`.
  std::vector<std::u32string> parts_;
  bool starts_with_star_ = false;
  bool ends_with_star_ = false;
};

enum class RuleAction { kTop, kHide, kPriority, kOpacity };

struct Rule {
  RuleAction action = RuleAction::kTop;
  PriorityClass priority = PriorityClass::kNormal;  // for kPriority
  int opacity = 100;                                // for kOpacity, in percent
  // The conditions, all of which must hold; at least one is given.
  std::optional<Pattern> title;
  std::optional<Pattern> class_name;
  // The program's file name, or its full path when the pattern holds a backslash.
  std::optional<Pattern> exe;
  std::string line;  // as written in the file, for reports
};

// What a window is matched against. The program's path is read only when a rule asks for it.
struct WindowFacts {
  Text title;
  Text class_name;
  Text program_path;
};
bool Matches(const Rule& rule, const WindowFacts& facts);
// Whether any condition of the rule looks at the program.
inline bool NeedsProgram(const Rule& rule) {
  return rule.exe.has_value();
}

struct RuleBook {
  std::vector<Rule> rules;
  // The lines not understood, each with why, as they are reported.
  std::vector<std::string> problems;
};

inline constexpr std::string_view kRuleSection = "Rules";

// The [Rules] section of stackle.ini (UTF-8). A line not understood is skipped and reported.
RuleBook ReadRules(std::string_view content);
// How often a rule acted, and was refused, in this run.
struct RuleCount {
  int acted = 0;
  int refused = 0;
};
// What /rules prints: a line per rule in force, with its counts when Stackle runs, then one per
// line not understood and why.
Text DescribeRules(const RuleBook& book,
                   const std::function<std::optional<RuleCount>(const Rule&)>& count_of = {});

// The rule line that pins every window of a program: "Top=exe:<file name>", quoted when the
// name holds a blank.
std::string PinProgramLine(std::u16string_view file_name);
// "Priority=<class> exe:<file name>": the rule that keeps a program at a class.
std::string KeepPriorityLine(PriorityClass priority, std::u16string_view file_name);
// Whether `rule` is one the per-window menu writes for a program: `action`, with the program's
// file name as its only condition.
bool IsProgramRule(const Rule& rule, RuleAction action, std::u16string_view file_name);
// Whether the book holds such a rule.
bool HasProgramRule(const RuleBook& book, RuleAction action, std::u16string_view file_name);
// stackle.ini with the program's rules of `action` taken out of [Rules]; when it had none,
// with `line` added instead.
std::string ToggleProgramRule(std::string_view ini, RuleAction action,
                              std::u16string_view file_name, const std::string& line);
// The file name of a program's path.
std::u16string_view FileNameOf(std::u16string_view path);

}  // namespace stackle
