#include "app/rule_engine.h"

#include <algorithm>
#include <utility>

#include "catalogue/text.h"

namespace stackle {
namespace {

// A window that appeared is looked at again for five seconds, for a title set late: Wine
// announces no title change, nor a window shown after it was made. A window made but not yet
// shown is looked at every 25 ms at first, as most are shown at once.
constexpr int kLooks = 20, kQuickLooks = 8;
constexpr std::uint32_t kLookInterval = 250, kQuickInterval = 25;

}  // namespace

RuleEngine::RuleEngine(WindowSystem& windows, DialogSurface& dialog, WindowEvents& events,
                       WindowOperations& operations, TrayIcon& tray)
    : windows_(windows), dialog_(dialog), events_(events), operations_(operations), tray_(tray) {}

void RuleEngine::Load(std::string_view ini) {
  book_ = ReadRules(ini);
  events_.Listen(!book_.rules.empty());
  actions_.clear();
  watched_.clear();
  if (book_.rules.empty()) {
    appearances_.clear();
    dialog_.KillTimer(kRuleWatchTimer);
    watch_interval_ = 0;
  }
  // Every window in view is matched again: a new rule acts on it at once.
  for (auto& [window, appearance] : appearances_) {
    appearance.title.clear();
    appearance.program = 0;
  }
}

void RuleEngine::OnWindowEvents() {
  for (WindowRef window : events_.TakeAnnounced())
    pending_.insert(window);
}

void RuleEngine::OnWatchTick() {
  bool quick = false;
  for (auto it = watched_.begin(); it != watched_.end();) {
    pending_.insert(it->first);
    quick |= it->second > kLooks;
    it = --it->second > 0 ? std::next(it) : watched_.erase(it);
  }
  bool looking = !watched_.empty();
  for (auto& [window, appearance] : appearances_) {
    if (appearance.looks_left == 0) continue;
    --appearance.looks_left;
    pending_.insert(window);
    looking |= appearance.looks_left > 0;
  }
  if (!looking) {
    dialog_.KillTimer(kRuleWatchTimer);
    watch_interval_ = 0;
  } else if (quick && std::ranges::none_of(watched_, [](auto& w) { return w.second > kLooks; })) {
    StartWatchTimer();  // the quick looks are over
  }
}

void RuleEngine::OnRefreshTick() {
  dialog_.KillTimer(kRuleRefreshTimer);
  refresh_scheduled_ = false;
  operations_.RefreshWindowList();
}

void RuleEngine::ActOnPending() {
  if (dialog_.IsEnding() || (pending_.empty() && actions_.empty())) return;
  paths_.clear();
  for (WindowRef window : std::exchange(pending_, {}))
    LookAt(window);
  for (const Action& action : std::exchange(actions_, {})) {
    if (windows_.Exists(action.listed.window)) Act(book_.rules[action.rule], action.listed);
  }
}

FixedPriorities RuleEngine::OnListed(const std::vector<ListedWindow>& listed) {
  if (book_.rules.empty()) return {};
  paths_.clear();
  std::set<WindowRef> in_view;
  for (const ListedWindow& window : listed) {
    if (window.hidden) continue;
    in_view.insert(window.window);
    Evaluate(window);
  }
  // A window out of view since (Wine announces no hiding) has its appearance end now, before
  // its program can show it again; one Stackle hid goes on, and keeps its program's class.
  std::erase_if(appearances_, [&](const auto& entry) {
    const WindowRef window = entry.first;
    return !in_view.contains(window) && !windows_.IsVisible(window) &&
           !operations_.Hidden().Holds(window);
  });
  std::map<ProcessId, std::size_t> first;  // each program's first Priority rule in file order
  for (const auto& [window, appearance] : appearances_) {
    if (!appearance.priority_rule || appearance.program == 0) continue;
    auto [rule, added] = first.try_emplace(appearance.program, *appearance.priority_rule);
    if (!added) rule->second = std::min(rule->second, *appearance.priority_rule);
  }
  FixedPriorities fixed;
  for (const auto& [program, rule] : first)
    fixed[program] = book_.rules[rule].priority;
  return fixed;
}

void RuleEngine::LookAt(WindowRef window) {
  auto appearance = appearances_.find(window);
  const bool visible = windows_.IsVisible(window);
  if (!visible && !windows_.Exists(window)) {
    if (appearance != appearances_.end()) appearances_.erase(appearance);
    watched_.erase(window);
    pinned_.erase(window);
    return;
  }
  // Still in view with the title its rules were matched against: nothing new can match. Unless
  // it stood for no program then: a Store app's frame whose app has not arrived in it yet.
  if (visible && appearance != appearances_.end() && appearance->second.program != 0 &&
      windows_.Title(window) == appearance->second.title) {
    return;
  }
  const auto listing = visible
                           ? ListingOf(windows_, window, dialog_.Window(), operations_.Exclusions())
                           : std::nullopt;
  if (listing && !operations_.IsStacklesOwn(window)) return Evaluate(*listing);
  if (!visible && appearance != appearances_.end()) {
    // Hidden by its program, the appearance is over; hidden by Stackle, it goes on, and
    // showing it again is no new appearance.
    if (!operations_.Hidden().Holds(window)) appearances_.erase(appearance);
    return;
  }
  // Made but not shown yet, or in view untitled: looked at again for a while.
  if (appearance == appearances_.end() && !watched_.contains(window)) Watch(window);
}

void RuleEngine::Evaluate(const ListedWindow& listed) {
  const ProcessId process = windows_.ProcessOf(listed.window);
  auto [entry, added] = appearances_.try_emplace(listed.window);
  Appearance& now = entry->second;
  if (!added && now.process != process) now = {};  // a reused handle: another window altogether
  if (added || now.process != process) {
    now.process = process;
    now.looks_left = kLooks;
    StartWatchTimer();
  } else if (now.title == listed.title && now.program == listed.program) {
    return;  // matched against the same before
  }
  watched_.erase(listed.window);
  now.title = listed.title;
  now.program = listed.program;
  now.priority_rule.reset();
  WindowFacts facts{listed.title, listed.class_name, {}};
  bool unmatched = false;
  for (std::size_t i = 0; i < book_.rules.size(); ++i) {
    const Rule& rule = book_.rules[i];
    const bool priority = rule.action == RuleAction::kPriority;
    if (priority && now.priority_rule) continue;  // only the first one sets the class
    if (NeedsProgram(rule) && facts.program_path.empty())
      facts.program_path = ProgramPathOf(listed.program);
    if (!Matches(rule, facts)) {
      unmatched |= !now.done.contains(rule.line);
      continue;
    }
    if (priority) now.priority_rule = i;
    // Once per appearance, also when refused: not tried again until it is shown anew.
    if (now.done.insert(rule.line).second) actions_.push_back({listed, i});
  }
  if (!unmatched) now.looks_left = 0;
}

void RuleEngine::Act(const Rule& rule, const ListedWindow& listed) {
  bool done = true;
  switch (rule.action) {
    case RuleAction::kTop:
      // A window already on top, by itself or by hand, is left as it is, and so at exit.
      if (listed.topmost || windows_.IsTopMost(listed.window)) return;
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
      if (!windows_.IsVisible(listed.window)) return;
      done = operations_.ToggleHidden(listed.window, Origin::kRule);
      break;
    case RuleAction::kOpacity:
      done = operations_.SetWindowOpacity(listed.window, rule.opacity, Origin::kRule) ==
             OpacityRegister::Result::kDone;
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
  // The list is rebuilt once for all that rules did meanwhile, if anyone can see it; hidden in
  // the notification area, Stackle rebuilds it as it comes back.
  if (!refresh_scheduled_ && windows_.IsVisible(dialog_.Window())) {
    refresh_scheduled_ = dialog_.SetTimer(kRuleRefreshTimer, kLookInterval) != 0;
  }
}

void RuleEngine::Watch(WindowRef window) {
  watched_[window] = kQuickLooks + kLooks;
  StartWatchTimer();
}

void RuleEngine::StartWatchTimer() {
  const bool quick = std::ranges::any_of(watched_, [](auto& w) { return w.second > kLooks; });
  const std::uint32_t interval = quick ? kQuickInterval : kLookInterval;
  // Set again only when its period changes: setting a timer starts its wait anew, and windows
  // arriving one after another would keep it from ever ticking.
  if (interval != watch_interval_)
    watch_interval_ = dialog_.SetTimer(kRuleWatchTimer, interval) ? interval : 0;
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
