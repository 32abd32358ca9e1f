// A command message from any program: what is taken is exactly what a command process sends.
#include <cstdlib>
#include <span>

#include "remote/command_line.h"
#include "remote/command_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace stackle;
  const auto received = DecodeCommand(std::span(data, size));
  if (!received) return 0;
  const std::string bytes =
      EncodeCommand(received->command, received->reply_to, received->deadline);
  if (bytes != std::string_view(reinterpret_cast<const char*>(data), size)) std::abort();
  return 0;
}
