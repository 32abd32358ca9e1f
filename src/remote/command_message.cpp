#include "remote/command_message.h"

#include "catalogue/opacity_register.h"
#include "remote/command_line.h"

namespace stackle {
namespace {

void PutLittleEndian(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<char>(value >> (8 * i)));
}

std::uint64_t GetLittleEndian(std::span<const std::uint8_t> bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;)
    value = value << 8 | bytes[i];
  return value;
}

constexpr std::size_t kHeaderSize = 24;

}  // namespace

std::string EncodeCommand(const Command& command, WindowRef reply_to, std::uint64_t deadline) {
  std::string bytes;
  PutLittleEndian(bytes, static_cast<std::uint32_t>(command.verb), 4);
  PutLittleEndian(bytes, command.percent, 4);
  PutLittleEndian(bytes, reply_to, 8);
  PutLittleEndian(bytes, deadline, 8);
  for (char16_t c : command.text)
    PutLittleEndian(bytes, c, 2);
  PutLittleEndian(bytes, 0, 2);
  return bytes;
}

std::optional<ReceivedCommand> DecodeCommand(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize + 2 || bytes.size() % 2 != 0 ||
      bytes.size() > kHeaderSize + 2 * (kMaxCommandText + 1)) {
    return std::nullopt;
  }
  ReceivedCommand received;
  const auto verb = GetLittleEndian(bytes.first(4));
  const auto known = static_cast<CommandVerb>(verb);
  if (!IsCarriedOut(known)) return std::nullopt;
  received.command.verb = known;
  received.command.percent = static_cast<std::uint32_t>(GetLittleEndian(bytes.subspan(4, 4)));
  received.reply_to = static_cast<WindowRef>(GetLittleEndian(bytes.subspan(8, 8)));
  received.deadline = GetLittleEndian(bytes.subspan(16, 8));
  const std::uint32_t percent = received.command.percent;
  if (TakesPercent(known) ? percent < kMinOpacity || percent > kOpaque : percent != 0)
    return std::nullopt;
  for (std::size_t at = kHeaderSize; at + 2 < bytes.size(); at += 2) {
    const auto c = static_cast<char16_t>(GetLittleEndian(bytes.subspan(at, 2)));
    if (c == 0) return std::nullopt;  // one terminator, at the end
    received.command.text.push_back(c);
  }
  if (GetLittleEndian(bytes.last(2)) != 0) return std::nullopt;
  if (received.command.text.empty() == TakesText(known)) return std::nullopt;
  return received;
}

}  // namespace stackle
