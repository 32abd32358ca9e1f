// The message that hands a command to the running copy of Stackle (WM_COPYDATA), and the
// answer it sends back.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/command.h"

namespace stackle {

// The tag of a command message, and of the answer the running copy sends back.
inline constexpr std::uintptr_t kCommandTag = 0x4C4B5453;  // "STKL"
// The result the running copy gives a command message it carried out: this plus the exit code.
inline constexpr std::intptr_t kCommandAnswered = 0x100;
// The class of the command process's window that takes the output; the running copy sends
// output to no other window.
inline constexpr char16_t kReplyWindowClass[] = u"StackleCommandReply";
// How long after its sending the running copy still takes a command, in milliseconds. The
// command process waits as long again for the answer, so that a command it reports as not
// taken was never carried out and can be given again.
inline constexpr std::uint64_t kCommandLifetime = 5000;

// The message's bytes: the verb (4 bytes), the opacity of /opacity (4 bytes, 0 for the other
// verbs), the window to send the output to (8 bytes), the
// deadline (8 bytes: the system's tick count after which the command is not taken), then
// TEXT in UTF-16 with a terminating zero, all little-endian.
std::string EncodeCommand(const Command& command, WindowRef reply_to, std::uint64_t deadline);
struct ReceivedCommand {
  Command command;
  WindowRef reply_to = kNoWindow;
  std::uint64_t deadline = 0;
};
// Nothing unless the bytes are exactly that, for a verb the running copy carries out.
std::optional<ReceivedCommand> DecodeCommand(std::span<const std::uint8_t> bytes);

}  // namespace stackle
