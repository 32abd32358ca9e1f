// Rules at work: each acts on a listed window once per appearance (when it is shown, or when a
// window already in view first comes to match), and what rules did is undone at exit.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/window_operations.h"
#include "core/window_events.h"
#include "remote/rules.h"
#include "ui/tray_icon.h"

namespace stackle {

// Timers: young windows looked at again, and the list rebuilt once after rules acted.
inline constexpr std::uint32_t kRuleWatchTimer = 3, kRuleRefreshTimer = 4;

class RuleEngine final : public RebuildObserver {
 public:
  RuleEngine(WindowSystem& windows, DialogSurface& dialog, WindowEvents& events,
             WindowOperations& operations, TrayIcon& tray);

  // Takes the rules of stackle.ini's [Rules] section; listens to other programs' windows only
  // while there is a rule. Every listed window is looked at again.
  void Load(std::string_view ini);
  const RuleBook& Book() const { return book_; }
  // Takes in `w` when a previous run pinned it by rule and could not unpin it (it was killed).
  void AdoptIfMarked(WindowRef w) {
    if (windows_.MarkOf(w, WindowMark::kRulePinned)) pinned_.insert(w);
  }

  // The windows Windows announced, looked at once Stackle may act.
  void OnWindowEvents();
  void OnWatchTick();
  void OnRefreshTick();
  // Acts on what waits; Stackle calls it once no other message is being handled (not inside
  // a menu, a close wait or a dialog of its own).
  void ActOnPending();

  FixedPriorities OnListed(const std::vector<ListedWindow>& listed) override;
  // At exit and at the end of the Windows session: windows a rule pinned and still on top are
  // unpinned; programs a rule set and still at that class go back to normal.
  void UndoAll();
  // The same for one program's windows pinned by rule.
  void UndoPinsOf(ProcessId program);
  // Each rule with its state and, for this run, how often it acted and was refused.
  Text Report() const;

 private:
  // One appearance of a window: what its rules did since it was last shown, and what they
  // were matched against last, so that nothing is matched twice against the same.
  struct Appearance {
    ProcessId process = 0;
    std::set<std::string> done;  // the lines of the rules that acted or were refused
    int looks_left = 0;          // looks it is still given
    Text title;
    ProcessId program = 0;
    std::optional<std::size_t> priority_rule;  // the first Priority rule it matches
  };
  // A rule's action waiting for the moment Stackle may act.
  struct Action {
    ListedWindow listed;
    std::size_t rule = 0;
  };
  struct Count {
    RuleCount made;
    bool told = false;  // the refusal balloon was shown
  };

  void LookAt(WindowRef window);
  // Matches the rules not done yet against a window the list shows; queues their actions.
  void Evaluate(const ListedWindow& listed);
  void Act(const Rule& rule, const ListedWindow& listed);
  void Unpin(WindowRef window);
  Text ProgramPathOf(ProcessId program);
  void Watch(WindowRef window);
  void StartWatchTimer();

  WindowSystem& windows_;
  DialogSurface& dialog_;
  WindowEvents& events_;
  WindowOperations& operations_;
  TrayIcon& tray_;
  RuleBook book_;
  std::map<WindowRef, Appearance> appearances_;
  std::set<WindowRef> pending_;
  std::vector<Action> actions_;
  std::map<WindowRef, int> watched_;  // windows not yet in view, with the looks left
  std::set<WindowRef> pinned_;
  std::map<ProcessId, PriorityClass> set_by_rule_;
  std::map<std::string, Count> counts_;
  std::map<ProcessId, Text> paths_;  // read once per process and pass
  bool refresh_scheduled_ = false;
  std::uint32_t watch_interval_ = 0;  // the watch timer's period; 0 while it is off
};

}  // namespace stackle
