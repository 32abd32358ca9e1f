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

Text RemoteControl::LoadHotkeys(const IniText& ini) {
  const HotkeyFile file = ReadHotkeyFile(ini.content.value_or(""));
  keys_ = file.keys;
  problems_ = file.problems;
  if (!ini.content) problems_.insert(problems_.begin(), ini.problem);
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
  // Kept for this run, also when the file is not written.
  keys_ = keys;
  const IniText old = ReadIniFile(files_);
  const bool saved =
      old.content && files_.SaveFile(kIniFileName, WriteHotkeyFile(*old.content, keys));
  if (saved) problems_.clear();
  RegisterHotkeys();
  const AppliedHotkeys applied{held_, saved};
  // Off again while the dialog stays open to change a key another program holds.
  UnregisterHotkeys();
  return applied;
}

void RemoteControl::OpenHotkeySettings() {
  UnregisterHotkeys();
  // What stackle.ini holds that is not understood, the rules' lines included.
  std::vector<std::string> problems = problems_;
  const auto& rule_problems = owner_.Rules().Book().problems;
  problems.insert(problems.end(), rule_problems.begin(), rule_problems.end());
  CHotkeyDialog settings(keys_, held_, problems,
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
    // With what the dialog shows over it (About, a message box), which keeps the keyboard.
    const WindowRef front = windows_.LastActivePopup(dialog_.Window());
    owner_.OnRestoreDialog();
    windows_.BringToForeground(front);
    return;
  }
  const WindowRef active = windows_.ForegroundWindow();
  const bool from_dialog = active == dialog_.Window() && active != kNoWindow;
  const Origin origin = from_dialog ? Origin::kDialog : Origin::kHotkey;
  if (action == HotkeyAction::kShowAllHidden) return operations_.ShowAllHidden(origin);
  // The others act on a window: never on another of Stackle's own (About, a message box),
  // which the dialog waits for; from the dialog itself, on the window selected in its list.
  if (!from_dialog && operations_.IsStacklesOwn(active)) return;
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
    case HotkeyAction::kOpacityDown:
    case HotkeyAction::kOpacityUp:
      operations_.StepWindowOpacity(target, action == HotkeyAction::kOpacityUp ? 1 : -1, origin);
      break;
    default:
      break;
  }
}

std::intptr_t RemoteControl::OnCopyData(WindowRef sender, const CopyData* data) {
  // Only the documented form, only once the dialog is up, and never once it is ending.
  if (!data || data->tag != kCommandTag || !accepting_ || dialog_.IsEnding() || !data->data)
    return 0;
  const auto received = DecodeCommand({static_cast<const std::uint8_t*>(data->data), data->size});
  // The output goes only to the window of the command process that sent the message. Past its
  // deadline the command process has reported the command as not taken: carried out now, it
  // would be carried out twice when a script gives it again.
  if (!received || received->reply_to != sender ||
      windows_.ClassName(sender) != kReplyWindowClass || commands_.Now() > received->deadline)
    return 0;
  const int code = CarryOut(received->command, received->reply_to);
  operations_.ShowScriptOutcome();
  return kCommandAnswered + code;
}

int RemoteControl::CarryOut(const Command& command, WindowRef reply_to) {
  const auto answer = [&](int code, const Text& output = {}) {
    if (!output.empty() && !commands_.SendOutput(reply_to, output)) code = kExitOutputLost;
    commands_.Answer(code);
    return code;
  };
  const auto done = [&](bool done) { return answer(done ? kExitDone : kExitRefused); };
  if (!TakesText(command.verb)) {
    const auto [code, output] = CarryOutWithoutText(command.verb);
    return answer(code, output);
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
    case CommandVerb::kOpacity:
      return done(operations_.SetWindowOpacity(target, static_cast<int>(command.percent),
                                               kScript) == OpacityRegister::Result::kDone);
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

std::pair<int, Text> RemoteControl::CarryOutWithoutText(CommandVerb verb) {
  switch (verb) {
    case CommandVerb::kExit:
      owner_.OnOK();  // before the answer: the next command already goes to the next copy
      return {kExitDone, {}};
    case CommandVerb::kShowAll:
      operations_.ShowAllHidden(kScript);
      return {kExitDone, {}};
    case CommandVerb::kOpaque:
      operations_.MakeAllOpaque();
      return {kExitDone, {}};
    case CommandVerb::kList: {
      operations_.RefreshWindowList();
      Text output;
      for (const ListedWindow& window : operations_.Listed())
        output += Label(window) + u"\r\n";
      return {kExitDone, output};
    }
    case CommandVerb::kRules:
      return {kExitDone, owner_.Rules().Report()};
    case CommandVerb::kReload: {
      owner_.ReloadRules();
      const RuleBook& book = owner_.Rules().Book();
      return {book.problems.empty() ? kExitDone : kExitBadArguments,
              DescribeRules({.rules = {}, .problems = book.problems})};
    }
    default:
      return {kExitBadArguments, {}};
  }
}

}  // namespace stackle
