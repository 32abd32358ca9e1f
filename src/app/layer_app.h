// Start-up and exit: one copy at a time, the main dialog run modally for the program's life. A
// process started with a command is a command process instead: it hands the command to the copy
// that runs and exits with its result, and never builds a dialog of its own.
#pragma once

#include <vector>

#include "app/layer_dialog.h"
#include "core/command_channel.h"

namespace stackle {

// What a command process uses: the link to the running copy, the console, and the files, for
// the rules of stackle.ini when no copy runs.
struct CommandPlatform {
  CommandLink& link;
  Console& console;
  FileStore& files;
};

// The command process, started with `arguments` (never none): prints the usage, or hands the
// command they name to the running copy (starting one when none runs and the command needs one)
// and prints its answer. Gives the process's exit code.
int RunCommandLine(const std::vector<Text>& arguments, const CommandPlatform& platform);

struct Platform {
  DialogPorts ports;
  DialogHost& host;
  InstanceGuard& guard;
};

class CLayerApp {
 public:
  explicit CLayerApp(Platform platform) : platform_(platform) {}

  // Runs Stackle itself; gives the process's exit code.
  int Run() {
    InitInstance();
    return ExitInstance();
  }
  // Runs the main dialog unless another copy is running. Always false: there is no message
  // loop after the dialog.
  bool InitInstance();
  int ExitInstance() { return 0; }

 private:
  Platform platform_;
};

}  // namespace stackle
