// What reaches Stackle without its window: the global hotkeys, kept in stackle.ini, and the
// commands that command processes hand over. Each resolves the window it acts on and calls
// the same operation the dialog's buttons call.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/window_operations.h"
#include "core/command_channel.h"
#include "core/hotkey_registrar.h"
#include "remote/hotkey_dialog.h"
#include "remote/ini_file.h"

namespace stackle {

class CLayerDialog;

class RemoteControl {
 public:
  RemoteControl(CLayerDialog& owner, WindowSystem& windows, DialogSurface& dialog,
                HotkeyRegistrar& hotkeys, CommandServer& commands, FileStore& files);

  // Takes the hotkeys of stackle.ini, as read, and registers them. Gives what to tell the user
  // about keys another program holds; empty when there is nothing to tell.
  Text LoadHotkeys(const IniText& ini);
  void RegisterHotkeys();
  void UnregisterHotkeys();
  // "ホットキーの設定"; the hotkeys are off while it is open, so that its controls can take them.
  void OpenHotkeySettings();
  // From now on command processes find the dialog and hand it their commands.
  void AcceptCommands();

  // On the window the user works in; on the selected one when that is Stackle's dialog.
  void OnHotkey(std::uintptr_t id);
  // A command message from `sender`; its result, which the command process reads, or 0 when
  // it is refused.
  std::intptr_t OnCopyData(WindowRef sender, const CopyData* data);

 private:
  AppliedHotkeys ApplyHotkeys(const HotkeySet& keys);
  int CarryOut(const Command& command, WindowRef reply_to);
  // The verbs that name no window: their code and output.
  std::pair<int, Text> CarryOutWithoutText(CommandVerb verb);

  CLayerDialog& owner_;
  WindowOperations& operations_;
  WindowSystem& windows_;
  DialogSurface& dialog_;
  HotkeyRegistrar& hotkeys_;
  CommandServer& commands_;
  FileStore& files_;
  // The hotkeys, which of them another program holds, and what stackle.ini held that was not
  // understood.
  HotkeySet keys_{};
  HeldHotkeys held_{};
  std::vector<std::string> problems_;
  bool accepting_ = false;
};

}  // namespace stackle
