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

// The message's bytes: the verb (4 bytes), the window to send the output to (8 bytes), then
// TEXT in UTF-16 with a terminating zero, all little-endian.
std::string EncodeCommand(const Command& command, WindowRef reply_to);
struct ReceivedCommand {
  Command command;
  WindowRef reply_to = kNoWindow;
};
// Nothing unless the bytes are exactly that, for a verb the running copy carries out.
std::optional<ReceivedCommand> DecodeCommand(std::span<const std::uint8_t> bytes);

}  // namespace stackle
