#include "app/window_operations.h"

#include <utility>

#include "remote/command_line.h"

namespace stackle {

WindowOperations::WindowOperations(WindowSystem& windows, DialogSurface& dialog, ListView& list)
    : windows_(windows), dialog_(dialog), list_(list), hidden_(windows), opacity_(windows) {}

void WindowOperations::RefreshWindowList() {
  dialog_.ActivateTooltips(false);
  listed_ = WalkWindowList(windows_, dialog_.Window(), exclusions_);
  dialog_.ActivateTooltips(true);
  hidden_.Prune();
  for (ListedWindow& hidden : hidden_.Listed())
    listed_.push_back(std::move(hidden));
  const FixedPriorities fixed = observer_ ? observer_->OnListed(listed_) : FixedPriorities{};
  ApplyPriorityPolicy(windows_, listed_, fixed);
  hidden_.HoldProgramsIdle(fixed);

  // A list box that draws repaints itself for every entry added.
  list_.SetRedraw(false);
  list_.Clear();
  for (std::size_t i = 0; i < listed_.size(); ++i) {
    // An entry the control refused (out of memory) ends the list, so that the entries it
    // shows and the model keep the same places.
    if (!list_.Add(Label(listed_[i]))) listed_.resize(i);
  }
  list_.SetRedraw(true);
  // Setting the caption repaints the frame and tells the shell, even when it is unchanged.
  if (windows_.Title(dialog_.Window()) != kDialogCaption) dialog_.SetCaption(kDialogCaption);
}

void WindowOperations::OnLookAgainTick() {
  dialog_.KillTimer(kLookAgainTimer);
  RefreshWindowList();
}

void WindowOperations::LoadExclusionList(FileStore& files) {
  exclusions_.Load(files);
}

WindowRef WindowOperations::ListedAt(std::optional<std::size_t> index) const {
  return index && *index < listed_.size() ? listed_[*index].window : kNoWindow;
}

bool WindowOperations::IsStacklesOwn(WindowRef window) {
  return windows_.ProcessOf(window) == windows_.OwnProcess();
}

bool WindowOperations::MayActOn(WindowRef window) {
  return ListingOf(windows_, window, dialog_.Window(), exclusions_) && !IsStacklesOwn(window);
}

WindowRef WindowOperations::CommandTarget(const Command& command) {
  if (command.verb != CommandVerb::kShow) {
    return FindListedWindow(
        windows_, dialog_.Window(), exclusions_,
        [&](const ListedWindow& window) { return NamesWindow(command, window); });
  }
  // As a rebuild would, without the entries of windows shown again since.
  hidden_.Prune();
  const std::vector<ListedWindow> hidden = hidden_.Listed();
  const auto found = FindCommandTarget(hidden, command);
  return found ? hidden[*found].window : kNoWindow;
}

void WindowOperations::PlaceOwnWindow(InsertAfter where, Origin origin) {
  windows_.Place(dialog_.Window(), where, /*activate=*/origin == Origin::kDialog);
}

bool WindowOperations::FinishCommand(Refresh form, Origin origin, bool done) {
  if (origin != Origin::kScript) {
    ShowOutcome(form, origin, done);
    return done;
  }
  // With one kept already: the fuller form, and a refusal in either.
  const Outcome kept = script_outcome_.value_or(Outcome{form, true});
  script_outcome_ = Outcome{kept.form == Refresh::kFull ? kept.form : form, kept.done && done};
  return done;
}

void WindowOperations::ShowScriptOutcome() {
  const std::optional<Outcome> outcome = std::exchange(script_outcome_, std::nullopt);
  if (outcome && !dialog_.IsEnding()) ShowOutcome(outcome->form, Origin::kScript, outcome->done);
}

void WindowOperations::ShowOutcome(Refresh form, Origin origin, bool done) {
  // Not over a question a program asked to close still asks its user.
  if (form == Refresh::kFull && close_waits_ == 0) PlaceOwnWindow(InsertAfter::kTopMost, origin);
  // A rule's list is rebuilt once for all the rules did (RuleEngine).
  if (origin == Origin::kRule) return;
  RefreshWindowList();
  if (windows_.TakeDeferredChanges()) dialog_.SetTimer(kLookAgainTimer, kLookAgainInterval);
  if (origin == Origin::kDialog) dialog_.Focus();
  if (!done) dialog_.SetCaption(kRefusedNotice);
}

bool WindowOperations::PlaceWindow(WindowRef window, InsertAfter where, Origin origin) {
  if (window == kNoWindow) return false;
  if (origin != Origin::kRule) windows_.SetMark(window, WindowMark::kRulePinned, 0);
  const bool done = windows_.Place(window, where, /*activate=*/origin != Origin::kRule);
  return FinishCommand(Refresh::kFull, origin, done);
}

bool WindowOperations::SendWindowToBottom(WindowRef window, Origin origin) {
  if (window == kNoWindow) return false;
  SetWindowProcessPriority(windows_, window, PriorityClass::kNormal);
  windows_.SetMark(window, WindowMark::kRulePinned, 0);
  return FinishCommand(Refresh::kShort, origin,
                       windows_.Place(window, InsertAfter::kBottom, /*activate=*/false));
}

bool WindowOperations::ToggleHidden(WindowRef window, Origin origin) {
  if (window == kNoWindow) return false;
  bool done = false;
  if (!windows_.IsVisible(window)) {
    done = windows_.Show(window, ShowCommand::kShow);
  } else if (windows_.Show(window, ShowCommand::kHide)) {
    // Only a window that did hide is registered: one that refused stays in view.
    RegisterHidden(window);
    done = true;
  }
  return FinishCommand(Refresh::kFull, origin, done);
}

void WindowOperations::ToggleListedWindow(std::size_t index) {
  const WindowRef window = ListedAt(index);
  // A window gone since it was hidden has nothing to show: registered again, it would be
  // listed once more, without a title.
  if (window == kNoWindow || !windows_.Exists(window)) return;
  const ShowCommand command = windows_.IsVisible(window) ? ShowCommand::kHide : ShowCommand::kShow;
  if (!windows_.Show(window, command)) {
    FinishCommand(Refresh::kFull, Origin::kDialog, false);
    return;
  }
  // A window just shown is registered too; the refresh below drops it again at once.
  RegisterHidden(window);
  FinishCommand(Refresh::kFull, Origin::kDialog);
}

void WindowOperations::RegisterHidden(WindowRef window) {
  Text title = windows_.Title(window);
  SetHiddenWindowPriority(windows_, window, PriorityClass::kIdle);
  hidden_.Register(std::move(title), window);
}

bool WindowOperations::ShowWindowAs(WindowRef window, ShowCommand command, Origin origin) {
  if (window == kNoWindow) return false;
  return FinishCommand(Refresh::kShort, origin, windows_.Show(window, command));
}

bool WindowOperations::ToggleMinimized(WindowRef window, Origin origin) {
  if (window == kNoWindow) return false;
  const ShowCommand command =
      windows_.IsMinimized(window) ? ShowCommand::kShowNormal : ShowCommand::kMinimize;
  return FinishCommand(Refresh::kFull, origin, windows_.Show(window, command));
}

void WindowOperations::CloseWindow(WindowRef window, Origin origin) {
  if (window == kNoWindow) return;
  // Out of the always-on-top band while the program may ask its user first, so that its
  // question is not hidden behind Stackle.
  PlaceOwnWindow(InsertAfter::kNoTopMost, origin);
  ++close_waits_;
  windows_.RequestClose(window, [this] { return dialog_.IsEnding(); });
  --close_waits_;
  if (dialog_.IsEnding()) return;  // the user asked Stackle to exit meanwhile
  FinishCommand(Refresh::kFull, origin);
}

void WindowOperations::SetProgramPriority(WindowRef window, PriorityClass priority) {
  if (window != kNoWindow) SetWindowProcessPriority(windows_, window, priority);
}

bool WindowOperations::MayChangeProgram(WindowRef window) {
  const ProcessId program = ProgramOf(windows_, window);
  return program ? windows_.ProcessPriority(program).has_value() : windows_.Exists(window);
}

OpacityRegister::Result WindowOperations::SetWindowOpacity(WindowRef window, int percent,
                                                           Origin origin) {
  using Result = OpacityRegister::Result;
  if (window == kNoWindow) return Result::kRefused;
  const Result result = KeepsItsOpacity(window) ? Result::kKept : opacity_.Set(window, percent);
  if (origin != Origin::kRule && result != Result::kDone) {
    dialog_.SetCaption(result == Result::kDrawsItself ? kDrawsItselfNotice
                       : result == Result::kKept      ? kKeepsOpacityNotice
                                                      : kRefusedNotice);
  }
  return result;
}

OpacityRegister::Result WindowOperations::StepWindowOpacity(WindowRef window, int steps,
                                                            Origin origin) {
  // From the nearest step, so that a window at 55% goes to 60% or 50%.
  const int now = (opacity_.PercentOf(window) + kOpacityStep / 2) / kOpacityStep * kOpacityStep;
  return SetWindowOpacity(window, now + steps * kOpacityStep, origin);
}

bool WindowOperations::KeepsItsOpacity(WindowRef window) {
  // The desktop, the task bar and Stackle's own windows stay as they are.
  const WindowRef shell = windows_.ShellWindow();
  return IsStacklesOwn(window) || window == shell ||
         (shell != kNoWindow && windows_.ProcessOf(window) == windows_.ProcessOf(shell));
}

std::optional<int> WindowOperations::OpacityOffered(WindowRef window) {
  if (KeepsItsOpacity(window)) return std::nullopt;
  const Layering layering = windows_.LayeringOf(window);
  if (!opacity_.ChangedTo(window) && layering.layered && !layering.readable) return std::nullopt;
  return opacity_.PercentOf(window);
}

void WindowOperations::ShowAllHidden(Origin origin) {
  RestoreHiddenWindows();
  FinishCommand(Refresh::kShort, origin);
}

}  // namespace stackle
