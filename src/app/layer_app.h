// Start-up and exit: one copy at a time, the main dialog run modally for the program's life;
// started with a command, the process hands it to the copy that runs and exits with its result.
#pragma once

#include "app/layer_dialog.h"
#include "core/command_channel.h"

namespace stackle {

struct Platform {
  DialogPorts ports;
  DialogHost& host;
  InstanceGuard& guard;
  CommandLink& link;
  Console& console;
};

class CLayerApp {
 public:
  explicit CLayerApp(Platform platform) : platform_(platform) {}

  // Runs the command the arguments name, or without arguments Stackle itself; gives the
  // process's exit code.
  int Run(const std::vector<Text>& arguments);
  // Runs the main dialog unless another copy is running. Always false: there is no message
  // loop after the dialog.
  bool InitInstance();
  int ExitInstance() { return 0; }

 private:
  int HandOver(const Command& command);

  Platform platform_;
};

}  // namespace stackle
