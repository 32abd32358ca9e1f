// A command for scripts, as the command line names it and the running copy answers it.
#pragma once

#include <cstdint>

#include "core/types.h"

namespace stackle {

enum class CommandVerb : std::uint32_t {
  kNone,  // no arguments: Stackle starts as usual
  kTop,
  kNoTop,
  kFront,
  kBottom,
  kHide,
  kShow,
  kClose,
  kShowAll,
  kList,
  kExit,
  kHelp,
  kRules,
  kReload,
  kOpacity,
  kOpaque,
};

struct Command {
  CommandVerb verb = CommandVerb::kNone;
  Text text;  // what the target's title contains; empty for the verbs that take none
  std::uint32_t percent = 0;  // the opacity /opacity sets; 0 for every other verb
  friend bool operator==(const Command&, const Command&) = default;
};

// The command process's exit codes.
enum : int {
  kExitDone = 0,
  kExitNoWindow = 1,
  kExitBadArguments = 2,
  kExitRefused = 3,
  kExitNoAnswer = 4,
  kExitElevated = 5,    // Windows keeps the command from a Stackle run as administrator
  kExitOutputLost = 6,  // carried out, but Windows kept the output from the command process
};

// What the running copy answered to a command.
struct CommandAnswer {
  int code = kExitNoAnswer;
  Text output;
};

}  // namespace stackle
