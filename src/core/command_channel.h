// How commands travel between a command process and the copy of Stackle that runs, and the
// single-instance name that makes one copy the running one.
#pragma once

#include <cstdint>
#include <optional>

#include "core/command.h"

namespace stackle {

// Claims the program's single-instance name for as long as the process runs.
class InstanceGuard {
 public:
  virtual ~InstanceGuard() = default;
  // False when another copy already holds the name.
  virtual bool Claim() = 0;
};

// The command process's end.
class CommandLink {
 public:
  virtual ~CommandLink() = default;
  // Hands `command` to the running copy (waiting a few seconds for one that is starting) and
  // waits a few seconds for its answer; nothing when no copy runs.
  virtual std::optional<CommandAnswer> Send(const Command& command) = 0;
  // Starts a copy the usual way; false when it cannot be started.
  virtual bool StartCopy() = 0;
};

// The running copy's end: its dialog receives the commands as WM_COPYDATA.
class CommandServer {
 public:
  virtual ~CommandServer() = default;
  // Lets command processes find the dialog: from now on they hand their commands to it.
  virtual void Accept() = 0;
  // The clock command processes date their commands by: milliseconds since the system started.
  virtual std::uint64_t Now() = 0;
  // Sends `output` to the command process's window; false when it did not take it (Windows
  // keeps it from a process run as administrator, or the process did not answer at once).
  virtual bool SendOutput(WindowRef reply_to, const Text& output) = 0;
  // Answers the command message being handled: lets the command process go on with `code`
  // while the dialog may still be busy.
  virtual void Answer(int code) = 0;
};

// The console a command process was started from, or the file or pipe its output goes to.
class Console {
 public:
  virtual ~Console() = default;
  // What the command gives: the list, the usage.
  virtual void Write(const Text& text) = 0;
  // Why it failed: to standard error, so that a file the output is redirected to holds the
  // output alone.
  virtual void WriteError(const Text& text) = 0;
};

}  // namespace stackle
