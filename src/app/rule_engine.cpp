#include "app/rule_engine.h"

#include <algorithm>
#include <utility>

#include "catalogue/text.h"

namespace stackle {
namespace {

// A window that appeared is looked at again every 250 ms for five seconds, for a title set
// late (Wine announces no title change, nor a window shown after it was made).
constexpr int kLooks = 20;
constexpr std::uint32_t kLookInterval = 250;

}  // namespace

RuleEngine::RuleEngine(WindowSystem& windows, DialogSurface& dialog, WindowEvents& events,
                       WindowOperations& operations, TrayIcon& tray)
    : windows_(windows), dialog_(dialog), events_(events), operations_(operations), tray_(tray) {}

void RuleEngine::Load(std::string_view ini) {
  book_ = ReadRules(ini);
  events_.Listen(!book_.rules.empty());
  if (book_.rules.empty()) {
    appearances_.clear();
    watched_.clear();
    dialog_.KillTimer(kRuleWatchTimer);
  }
  // Every window in view is looked at again: a new rule acts on it at once.
  for (const auto& [window, appearance] : appearances_)
    pending_.insert(window);
}

void RuleEngine::AdoptMarkedWindows() {
  WalkZOrder(windows_, windows_.TopWindow(), kNoWindow, [this](WindowRef w) {
    if (windows_.MarkOf(w, WindowMark::kRulePinned)) pinned_.insert(w);
  });
}

void RuleEngine::OnWindowEvents() {
  for (WindowRef window : events_.TakeAnnounced())
    pending_.insert(window);
}

void RuleEngine::OnWatchTick() {
  for (auto it = watched_.begin(); it != watched_.end();) {
    pending_.insert(it->first);
    it = --it->second > 0 ? std::next(it) : watched_.erase(it);
  }
  bool looking = !watched_.empty();
  for (auto& [window, appearance] : appearances_) {
    if (appearance.looks_left == 0) continue;
    --appearance.looks_left;
    pending_.insert(window);
    looking |= appearance.looks_left > 0;
  }
  if (!looking) dialog_.KillTimer(kRuleWatchTimer);
}

void RuleEngine::OnRefreshTick() {
  dialog_.KillTimer(kRuleRefreshTimer);
  refresh_scheduled_ = false;
  operations_.RefreshWindowList();
}

void RuleEngine::ActOnPending() {
  if (pending_.empty() || dialog_.IsEnding()) return;
  paths_.clear();
  for (WindowRef window : std::exchange(pending_, {}))
    LookAt(window);
}

FixedPriorities RuleEngine::OnListed(const std::vector<ListedWindow>& listed) {
  if (book_.rules.empty()) return {};
  paths_.clear();
  FixedPriorities fixed;
  std::map<ProcessId, std::size_t> fixed_by;  // the rule that fixed each program
  std::set<WindowRef> in_view;
  for (const ListedWindow& window : listed) {
    if (!window.hidden) {
      in_view.insert(window.window);
      // A window not seen before, or with a rule that has not matched yet.
      const auto appearance = appearances_.find(window.window);
      if (appearance == appearances_.end() || appearance->second.done.size() < book_.rules.size())
        pending_.insert(window.window);
    }
    const Text class_name = window.hidden ? windows_.ClassName(window.window) : window.class_name;
    const ProcessId program =
        window.hidden ? ProgramOf(windows_, window.window, class_name) : window.program;
    WindowFacts facts{window.title, class_name, {}};
    for (std::size_t i = 0; i < book_.rules.size(); ++i) {
      const Rule& rule = book_.rules[i];
      if (rule.action != RuleAction::kPriority || program == 0) continue;
      if (fixed_by.contains(program) && fixed_by[program] < i) break;
      if (NeedsProgram(rule) && facts.program_path.empty())
        facts.program_path = ProgramPathOf(program);
      if (!Matches(rule, facts)) continue;
      fixed[program] = rule.priority;
      fixed_by[program] = i;
      break;
    }
  }
  // A window out of view since (Wine announces no hiding) has its appearance end now, before
  // its program can show it again.
  std::erase_if(appearances_, [&](const auto& entry) {
    const WindowRef window = entry.first;
    return !in_view.contains(window) && !windows_.IsVisible(window) && !HiddenByStackle(window);
  });
  return fixed;
}

void RuleEngine::LookAt(WindowRef window) {
  if (!windows_.Exists(window)) {
    appearances_.erase(window);
    watched_.erase(window);
    pinned_.erase(window);
    return;
  }
  const ProcessId process = windows_.ProcessOf(window);
  auto appearance = appearances_.find(window);
  if (appearance != appearances_.end() && appearance->second.process != process) {
    appearances_.erase(appearance);  // a reused handle: another window altogether
    appearance = appearances_.end();
  }
  const auto listing = ListingOf(windows_, window, dialog_.Window(), operations_.Exclusions());
  if (!listing || operations_.IsStacklesOwn(window)) {
    if (windows_.IsVisible(window)) return;  // in view, though not listed: no rule acts
    // Hidden by its program, the appearance is over; hidden by Stackle, it goes on, and
    // showing it again is no new appearance.
    if (appearance != appearances_.end() && !HiddenByStackle(window))
      appearances_.erase(appearance);
    // A window made but not shown yet is watched for a while.
    if (appearance == appearances_.end() && !watched_.contains(window)) Watch(window, kLooks);
    return;
  }
  watched_.erase(window);
  if (appearance == appearances_.end())
    appearance = appearances_.emplace(window, Appearance{process, {}, kLooks}).first;
  Appearance& now = appearance->second;
  WindowFacts facts{listing->title, listing->class_name, {}};
  bool unmatched = false;
  bool priority_taken = false;  // only the first Priority rule in file order sets the class
  for (const Rule& rule : book_.rules) {
    const bool priority = rule.action == RuleAction::kPriority;
    if (now.done.contains(rule.line)) {
      priority_taken |= priority;
      continue;
    }
    if (NeedsProgram(rule) && facts.program_path.empty())
      facts.program_path = ProgramPathOf(listing->program);
    if (!Matches(rule, facts)) {
      unmatched = true;
      continue;
    }
    // Once per appearance, also when refused: not tried again until it is shown anew.
    now.done.insert(rule.line);
    if (!priority || !std::exchange(priority_taken, true)) Act(rule, *listing);
  }
  if (!unmatched) now.looks_left = 0;
  if (now.looks_left > 0) dialog_.SetTimer(kRuleWatchTimer, kLookInterval);
}

void RuleEngine::Act(const Rule& rule, const ListedWindow& listed) {
  bool done = true;
  switch (rule.action) {
    case RuleAction::kTop:
      // A window already on top, by itself or by hand, is left as it is, and so at exit.
      if (listed.topmost) return;
      // Marked first: killed right after the pin, Stackle leaves no pin without its mark.
      windows_.SetMark(listed.window, WindowMark::kRulePinned, 1);
      done = operations_.PlaceWindow(listed.window, InsertAfter::kTopMost, Origin::kRule);
      if (done) {
        pinned_.insert(listed.window);
      } else {
        windows_.SetMark(listed.window, WindowMark::kRulePinned, 0);
      }
      break;
    case RuleAction::kHide:
      done = operations_.ToggleHidden(listed.window, Origin::kRule);
      break;
    case RuleAction::kPriority:
      done = listed.program != 0 && windows_.ProcessPriority(listed.program).has_value();
      if (done) {
        windows_.SetProcessPriority(listed.program, rule.priority);
        set_by_rule_[listed.program] = rule.priority;
      }
      break;
  }
  Count& count = counts_[rule.line];
  if (!done) {
    ++count.made.refused;
    if (std::exchange(count.told, true)) return;
    tray_.TellOnce(u"ルールを適用できません", DecodeUtf8(rule.line) + u"\r\n" + kRefusedNotice);
    return;
  }
  ++count.made.acted;
  // The list is rebuilt once for all that rules did meanwhile.
  if (!refresh_scheduled_) {
    refresh_scheduled_ = dialog_.SetTimer(kRuleRefreshTimer, kLookInterval) != 0;
  }
}

bool RuleEngine::HiddenByStackle(WindowRef window) const {
  const auto& hidden = operations_.Hidden().Entries();
  return std::ranges::find(hidden, window, &HiddenEntry::window) != hidden.end();
}

void RuleEngine::Watch(WindowRef window, int looks) {
  watched_[window] = looks;
  dialog_.SetTimer(kRuleWatchTimer, kLookInterval);
}

Text RuleEngine::ProgramPathOf(ProcessId program) {
  auto [path, added] = paths_.try_emplace(program);
  if (added) path->second = windows_.ProgramPath(program);
  return path->second;
}

void RuleEngine::Unpin(WindowRef window) {
  if (!windows_.MarkOf(window, WindowMark::kRulePinned)) return;  // placed by hand since
  if (windows_.IsTopMost(window)) windows_.Place(window, InsertAfter::kNoTopMost, false);
  windows_.SetMark(window, WindowMark::kRulePinned, 0);
}

void RuleEngine::UndoPinsOf(ProcessId program) {
  std::erase_if(pinned_, [&](WindowRef window) {
    if (ProgramOf(windows_, window) != program) return false;
    Unpin(window);
    return true;
  });
}

void RuleEngine::UndoAll() {
  events_.Listen(false);
  for (WindowRef window : std::exchange(pinned_, {}))
    Unpin(window);
  for (const auto& [program, priority] : std::exchange(set_by_rule_, {})) {
    if (windows_.ProcessPriority(program) == static_cast<std::uint32_t>(priority))
      windows_.SetProcessPriority(program, PriorityClass::kNormal);
  }
}

Text RuleEngine::Report() const {
  return DescribeRules(book_, [this](const Rule& rule) {
    const auto count = counts_.find(rule.line);
    return count == counts_.end() ? RuleCount{} : count->second.made;
  });
}

}  // namespace stackle
