// Commands for scripts: the command line that names one, the message that hands it to the
// running copy of Stackle, and the window it acts on.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/window_list.h"

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
};

struct Command {
  CommandVerb verb = CommandVerb::kNone;
  Text text;  // what the target's title contains; empty for the verbs that take none
  friend bool operator==(const Command&, const Command&) = default;
};

// The command process's exit codes.
enum : int {
  kExitDone = 0,
  kExitNoWindow = 1,
  kExitBadArguments = 2,
  kExitRefused = 3,
  kExitNoAnswer = 4,
};

// The longest TEXT: as long as a command line can be.
inline constexpr std::size_t kMaxCommandText = 32767;

struct ParsedCommandLine {
  Command command;
  Text error;  // why the arguments are refused; empty when they are not
};

// The arguments after the program's name. A switch starts with "/" or "-", in any case; the
// verbs that act on a window take exactly one TEXT, the others none.
ParsedCommandLine ParseCommandLine(const std::vector<Text>& arguments);

// The usage, for /? and after a refused command line.
extern const char16_t kUsage[];
// One line saying why a command did not succeed; empty for kExitDone.
Text ExplainExitCode(int code, const Command& command);

// The tag of a command message, and of the answer the running copy sends back.
inline constexpr std::uintptr_t kCommandTag = 0x4C4B5453;  // "STKL"
// The result the running copy gives a command message it carried out: this plus the exit code.
inline constexpr std::intptr_t kCommandAnswered = 0x100;

// The message's bytes: the verb (4 bytes), the window to send the output to (8 bytes), then
// TEXT in UTF-16 with a terminating zero, all little-endian.
std::string EncodeCommand(const Command& command, WindowRef reply_to);
struct ReceivedCommand {
  Command command;
  WindowRef reply_to = kNoWindow;
};
// Nothing unless the bytes are exactly that, for a verb the running copy carries out.
std::optional<ReceivedCommand> DecodeCommand(std::span<const std::uint8_t> bytes);

// The list entry a command acts on: the first, top of the Z-order first, whose title contains
// TEXT as nolist.txt matches; among the "(Hide):" entries (from `first_hidden` on) for /show,
// among the others for every other verb. Nothing when none does.
std::optional<std::size_t> FindCommandTarget(const std::vector<Text>& labels,
                                             std::size_t first_hidden, const Command& command);

}  // namespace stackle
