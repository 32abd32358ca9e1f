#include "app/remote_control.h"

#include "app/layer_dialog.h"
#include "catalogue/text.h"
#include "remote/command_line.h"
#include "remote/command_message.h"
#include "remote/ini_file.h"

namespace stackle {
namespace {

constexpr Origin kScript = Origin::kScript;

// A hotkey's identifier: its action's index, from 1.
int HotkeyId(std::size_t action) {
  return static_cast<int>(action) + 1;
}

}  // namespace

RemoteControl::RemoteControl(CLayerDialog& owner, WindowSystem& windows, DialogSurface& dialog,
                             HotkeyRegistrar& hotkeys, CommandServer& commands, FileStore& files)
    : owner_(owner),
      operations_(owner.Operations()),
      windows_(windows),
      dialog_(dialog),
      hotkeys_(hotkeys),
      commands_(commands),
      files_(files) {}

Text RemoteControl::LoadHotkeys() {
  const HotkeyFile file = ReadHotkeyFile(files_.ReadFile(kIniFileName).value_or(""));
  keys_ = file.keys;
  problems_ = file.problems;
  RegisterHotkeys();
  Text notice;
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
    if (!held_[i]) continue;
    notice += (notice.empty() ? u"" : u"\r\n") + WidenAscii(FormatHotkey(keys_[i])) + u" (" +
              HotkeyActionLabel(static_cast<HotkeyAction>(i)) + u")";
  }
  return notice;
}

void RemoteControl::RegisterHotkeys() {
  UnregisterHotkeys();
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i)
    held_[i] = !keys_[i].IsOff() && !hotkeys_.Register(HotkeyId(i), keys_[i]);
}

void RemoteControl::UnregisterHotkeys() {
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i)
    hotkeys_.Unregister(HotkeyId(i));
}

AppliedHotkeys RemoteControl::ApplyHotkeys(const HotkeySet& keys) {
  keys_ = keys;
  problems_.clear();
  const std::string old = files_.ReadFile(kIniFileName).value_or("");
  const bool saved = files_.SaveFile(kIniFileName, WriteHotkeyFile(old, keys));
  RegisterHotkeys();
  const AppliedHotkeys applied{held_, saved};
  // Off again while the dialog stays open to change a key another program holds.
  UnregisterHotkeys();
  return applied;
}

void RemoteControl::OpenHotkeySettings() {
  UnregisterHotkeys();
  CHotkeyDialog settings(keys_, held_, problems_,
                         [this](const HotkeySet& keys) { return ApplyHotkeys(keys); });
  dialog_.RunChildDialog(settings);
  RegisterHotkeys();
}

void RemoteControl::AcceptCommands() {
  accepting_ = true;
  commands_.Accept();
}

void RemoteControl::OnHotkey(std::uintptr_t id) {
  if (id < 1 || id > kHotkeyActionCount) return;
  const auto action = static_cast<HotkeyAction>(id - 1);
  if (action == HotkeyAction::kShowStackle) {
    owner_.OnRestoreDialog();
    windows_.BringToForeground(dialog_.Window());
    return;
  }
  // Never on another of Stackle's own windows (About, a message box), which the dialog waits
  // for; from the dialog itself, on the window selected in its list.
  const WindowRef active = windows_.ForegroundWindow();
  const bool from_dialog = active == dialog_.Window() && active != kNoWindow;
  if (!from_dialog && operations_.IsStacklesOwn(active)) return;
  const Origin origin = from_dialog ? Origin::kDialog : Origin::kHotkey;
  if (action == HotkeyAction::kShowAllHidden) return operations_.ShowAllHidden(origin);
  // Also a window brought above Stackle's dialog since the last rebuild, which the list does
  // not show until Stackle is back on top.
  const WindowRef target = from_dialog                    ? operations_.SelectedWindow()
                           : operations_.MayActOn(active) ? active
                                                          : kNoWindow;
  if (target == kNoWindow) return;
  switch (action) {
    case HotkeyAction::kToggleTopMost:
      operations_.PlaceWindow(
          target, windows_.IsTopMost(target) ? InsertAfter::kNoTopMost : InsertAfter::kTopMost,
          origin);
      break;
    case HotkeyAction::kSendToBottom:
      operations_.SendWindowToBottom(target, origin);
      break;
    case HotkeyAction::kHide:
      // Hides only: a hidden window's entry is shown again by the button, not by this key.
      if (windows_.IsVisible(target)) operations_.ToggleHidden(target, origin);
      break;
    default:
      break;
  }
}

std::intptr_t RemoteControl::OnCopyData(const CopyData* data) {
  // Only the documented form, only once the dialog is up, and never once it is ending.
  if (!data || data->tag != kCommandTag || !accepting_ || dialog_.IsEnding() || !data->data)
    return 0;
  const auto received = DecodeCommand({static_cast<const std::uint8_t*>(data->data), data->size});
  if (!received) return 0;
  return kCommandAnswered + CarryOut(received->command, received->reply_to);
}

int RemoteControl::CarryOut(const Command& command, WindowRef reply_to) {
  const auto answer = [&](int code, const Text& output = {}) {
    commands_.Answer(reply_to, code, output);
    return code;
  };
  const auto done = [&](bool done) { return answer(done ? kExitDone : kExitRefused); };
  if (command.verb == CommandVerb::kExit) {
    owner_.OnOK();  // before the answer: the next command already goes to the next copy
    return answer(kExitDone);
  }
  if (command.verb == CommandVerb::kShowAll) return operations_.ShowAllHidden(kScript), done(true);
  if (command.verb == CommandVerb::kList) {
    operations_.RefreshWindowList();
    Text output;
    for (const ListedWindow& window : operations_.Listed())
      output += Label(window) + u"\r\n";
    return answer(kExitDone, output);
  }
  const WindowRef target = operations_.CommandTarget(command);
  // Stackle's own windows (About, a message box) are not the scripts' to move.
  if (target == kNoWindow || operations_.IsStacklesOwn(target)) return answer(kExitNoWindow);
  switch (command.verb) {
    case CommandVerb::kTop:
      return done(operations_.PlaceWindow(target, InsertAfter::kTopMost, kScript));
    case CommandVerb::kNoTop:
      return done(operations_.PlaceWindow(target, InsertAfter::kNoTopMost, kScript));
    case CommandVerb::kFront:
      return done(operations_.PlaceWindow(target, InsertAfter::kTop, kScript));
    case CommandVerb::kBottom:
      return done(operations_.SendWindowToBottom(target, kScript));
    case CommandVerb::kHide:
    case CommandVerb::kShow:
      return done(operations_.ToggleHidden(target, kScript));
    case CommandVerb::kClose:
      // As the per-window menu: none for a program Stackle may not change. The command
      // process is answered before the wait for the program, which may ask its user.
      if (done(operations_.MayChangeProgram(target)) != kExitDone) return kExitRefused;
      operations_.CloseWindow(target, kScript);
      return kExitDone;
    default:
      return answer(kExitBadArguments);
  }
}

}  // namespace stackle
