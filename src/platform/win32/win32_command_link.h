// A command process's side of a command: finding the running copy's dialog, handing it the
// command, starting a copy when none runs, and writing to the console the process came from.
#pragma once

#include "app/layer_app.h"
#include "platform/win32/unique_resource.h"

namespace stackle::win32 {

// The name the running copy holds, and the property its dialog carries once it takes commands.
inline constexpr wchar_t kInstanceName[] = L"Stackle";
inline constexpr wchar_t kCommandWindowProperty[] = L"Stackle.CommandWindow";

class Win32CommandLink final : public CommandLink {
 public:
  std::optional<CommandAnswer> Send(const Command& command) override;
  bool StartCopy() override;
  void WriteOutput(const Text& text) override;

 private:
  bool started_ = false;
  UniqueFile console_;
};

}  // namespace stackle::win32
