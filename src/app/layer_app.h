// Start-up and exit: one copy at a time, the main dialog run modally for the program's life;
// started with a command, the process hands it to the copy that runs and exits with its result.
#pragma once

#include "app/layer_dialog.h"
#include "control/command_line.h"

namespace stackle {

// Claims the program's single-instance name for as long as the process runs.
class InstanceGuard {
 public:
  virtual ~InstanceGuard() = default;
  // False when another copy already holds the name.
  virtual bool Claim() = 0;
};

// What the running copy answered to a command.
struct CommandAnswer {
  int code = kExitNoAnswer;
  Text output;
};

// How a command process reaches the copy of Stackle that runs, and the console it reports to.
class CommandLink {
 public:
  virtual ~CommandLink() = default;
  // Hands `command` to the running copy (waiting a few seconds for one that is starting) and
  // waits a few seconds for its answer; nothing when no copy runs.
  virtual std::optional<CommandAnswer> Send(const Command& command) = 0;
  // Starts a copy the usual way; false when it cannot be started.
  virtual bool StartCopy() = 0;
  // Writes to the console the process was started from, if there is one.
  virtual void WriteOutput(const Text& text) = 0;
};

struct Platform {
  WindowSystem& windows;
  DialogHost& dialog;
  FileStore& files;
  InstanceGuard& guard;
  CommandLink& link;
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
