// Hotkeys, and commands handed over by a command process: each runs the code of its button.
#include <algorithm>

#include "app/layer_dialog.h"
#include "catalogue/text.h"
#include "res/resource.h"

namespace stackle {
namespace {

// A hotkey's identifier: its action's index, from 1.
int HotkeyId(std::size_t action) {
  return static_cast<int>(action) + 1;
}

// Marks the commands run meanwhile as asked for from outside the dialog, or not.
class RemoteScope {
 public:
  RemoteScope(bool& flag, bool remote) : flag_(flag), was_(flag) { flag_ = remote; }
  ~RemoteScope() { flag_ = was_; }
  RemoteScope(const RemoteScope&) = delete;
  RemoteScope& operator=(const RemoteScope&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

void CLayerDialog::LoadHotkeys() {
  const HotkeyFile file = ReadHotkeyFile(files_.ReadFile(kHotkeyFileName).value_or(""));
  hotkeys_ = file.keys;
  hotkey_problems_ = file.problems;
  RegisterHotkeys();
  held_hotkeys_notice_.clear();
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
    if (!hotkeys_held_[i]) continue;
    held_hotkeys_notice_ += (held_hotkeys_notice_.empty() ? u"" : u"\r\n") +
                            DecodeUtf8(FormatHotkey(hotkeys_[i])) + u" (" +
                            HotkeyActionLabel(static_cast<HotkeyAction>(i)) + u")";
  }
}

void CLayerDialog::RegisterHotkeys() {
  UnregisterHotkeys();
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
    hotkeys_held_[i] = !hotkeys_[i].IsOff() && !dialog_.RegisterHotkey(HotkeyId(i), hotkeys_[i]);
  }
}

void CLayerDialog::UnregisterHotkeys() {
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i)
    dialog_.UnregisterHotkey(HotkeyId(i));
}

AppliedHotkeys CLayerDialog::ApplyHotkeys(const HotkeySet& keys) {
  hotkeys_ = keys;
  hotkey_problems_.clear();
  const std::string old = files_.ReadFile(kHotkeyFileName).value_or("");
  const bool saved = files_.SaveFile(kHotkeyFileName, WriteHotkeyFile(old, keys));
  RegisterHotkeys();
  const AppliedHotkeys applied{hotkeys_held_, saved};
  // Off again while the dialog stays open to change a key another program holds.
  UnregisterHotkeys();
  return applied;
}

void CLayerDialog::OpenHotkeySettings() {
  UnregisterHotkeys();
  CHotkeyDialog settings(hotkeys_, hotkeys_held_, hotkey_problems_,
                         [this](const HotkeySet& keys) { return ApplyHotkeys(keys); });
  dialog_.RunChildDialog(settings);
  RegisterHotkeys();
}

bool CLayerDialog::SelectListedWindow(WindowRef window) {
  RefreshWindowList();
  for (std::size_t i = 0; i < dialog_.WindowListCount(); ++i) {
    if (dialog_.WindowListWindow(i) == window) {
      dialog_.SelectWindowListEntry(i);
      return true;
    }
  }
  return false;
}

void CLayerDialog::OnHotkey(std::uintptr_t id) {
  if (id < 1 || id > kHotkeyActionCount) return;
  const auto action = static_cast<HotkeyAction>(id - 1);
  if (action == HotkeyAction::kShowStackle) {
    OnRestoreDialog();
    windows_.BringToForeground(dialog_.Window());
    return;
  }
  // On the window the user works in; on the selected one when that is Stackle's dialog; never
  // on another of Stackle's own (About, a message box), which the dialog waits for.
  const WindowRef active = windows_.ForegroundWindow();
  const bool from_dialog = active == dialog_.Window() && active != kNoWindow;
  if (!from_dialog && windows_.ProcessOf(active) == windows_.OwnProcess()) return;
  RemoteScope remote(acting_remotely_, !from_dialog);
  if (action == HotkeyAction::kShowAllHidden) {
    RestoreHiddenWindows();
    return FinishCommand(Refresh::kShort);
  }
  if (!from_dialog && !SelectListedWindow(active)) {
    // The list starts just above Stackle's dialog: a window brought over it since (one kept on
    // top, activated) is not in it until Stackle is back on top, as after every command.
    PlaceOwnWindow(InsertAfter::kTopMost);
    if (!SelectListedWindow(active)) return;
  }
  const WindowRef target = SelectedWindow();
  if (target == kNoWindow) return;
  switch (action) {
    case HotkeyAction::kToggleTopMost:
      windows_.IsTopMost(target) ? OnNotAlwaysOnTop() : OnAlwaysOnTop();
      break;
    case HotkeyAction::kSendToBottom:
      OnSendToBottom();
      break;
    case HotkeyAction::kHide:
      // Hides only: a hidden window's entry is shown again by the button, not by this key.
      if (windows_.IsVisible(target)) OnShowHide();
      break;
    default:
      break;
  }
}

std::intptr_t CLayerDialog::OnCopyData(const CopyData& data) {
  // Only the documented form, only once the dialog is up, and never once it is ending.
  if (data.tag != kCommandTag || !start_up_finished_ || dialog_.IsEnding() || !data.data) return 0;
  const auto received = DecodeCommand({static_cast<const std::uint8_t*>(data.data), data.size});
  if (!received) return 0;
  RemoteScope remote(acting_remotely_, true);
  return kCommandAnswered + CarryOut(received->command, received->reply_to);
}

int CLayerDialog::CarryOut(const Command& command, WindowRef reply_to) {
  const auto answer = [&](int code, const Text& output = {}) {
    dialog_.AnswerCommand(reply_to, code, output);
    return code;
  };
  switch (command.verb) {
    case CommandVerb::kExit:
      OnOK();  // before the answer: the next command already goes to the next copy
      return answer(kExitDone);
    case CommandVerb::kShowAll:
      RestoreHiddenWindows();
      FinishCommand(Refresh::kShort);
      return answer(kExitDone);
    default:
      break;
  }
  RefreshWindowList();
  const std::vector<Text> labels = ListedLabels();
  if (command.verb == CommandVerb::kList) {
    Text output;
    for (const Text& label : labels)
      output += label + u"\r\n";
    return answer(kExitDone, output);
  }
  const std::size_t hidden = std::min(hidden_.Entries().size(), labels.size());
  const auto index = FindCommandTarget(labels, labels.size() - hidden, command);
  // Stackle's own windows (About, a message box) are not the scripts' to move.
  if (!index || windows_.ProcessOf(dialog_.WindowListWindow(*index).value_or(kNoWindow)) ==
                    windows_.OwnProcess()) {
    return answer(kExitNoWindow);
  }
  dialog_.SelectWindowListEntry(*index);
  bool done = false;
  switch (command.verb) {
    case CommandVerb::kTop:
      done = OnAlwaysOnTop();
      break;
    case CommandVerb::kNoTop:
      done = OnNotAlwaysOnTop();
      break;
    case CommandVerb::kFront:
      done = OnBringToFront();
      break;
    case CommandVerb::kBottom:
      done = OnSendToBottom();
      break;
    case CommandVerb::kHide:
    case CommandVerb::kShow:
      done = OnShowHide();
      break;
    case CommandVerb::kClose: {
      // As the per-window menu: none for a program Stackle may not change. The command
      // process is answered before the wait for the program, which may ask its user.
      const WindowRef target = SelectedWindow();
      if (!windows_.ProcessPriority(ProgramOf(windows_, target))) return answer(kExitRefused);
      answer(kExitDone);
      OnWindowClose();
      return kExitDone;
    }
    default:
      return answer(kExitBadArguments);
  }
  return answer(done ? kExitDone : kExitRefused);
}

}  // namespace stackle
