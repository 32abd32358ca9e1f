// Both ends of a command, and the single-instance name: a command process finds the running
// copy's dialog by a property on it, hands it the command as WM_COPYDATA, starts a copy when
// none runs, and writes what it answered to the console the process came from.
#pragma once

#include <windows.h>

#include "core/command_channel.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/win32_dialog.h"

namespace stackle::win32 {

// The name the running copy holds, and the property its dialog carries once it takes commands.
inline constexpr wchar_t kInstanceName[] = L"Stackle";
inline constexpr wchar_t kCommandWindowProperty[] = L"Stackle.CommandWindow";

// A window that only takes messages, for a command process's answer. A child of the
// message-only parent: destroying a top-level window looks at every top-level window for
// those it owns, which under Wine asks the window server about each. Made top-level should the
// system refuse the child.
inline HWND CreateMessageOnlyWindow(const wchar_t* class_name, HINSTANCE instance) {
  for (const DWORD style : {DWORD{WS_CHILD}, DWORD{0}}) {
    if (const HWND window = ::CreateWindowExW(WS_EX_NOPARENTNOTIFY, class_name, nullptr, style, 0,
                                              0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr))
      return window;
  }
  return nullptr;
}

class Win32InstanceGuard final : public InstanceGuard {
 public:
  bool Claim() override;

 private:
  UniqueHandle mutex_;
};

class Win32CommandLink final : public CommandLink {
 public:
  std::optional<CommandAnswer> Send(const Command& command) override;
  bool StartCopy() override;

 private:
  bool started_ = false;
};

class Win32CommandServer final : public CommandServer {
 public:
  explicit Win32CommandServer(const OwnWindow& dialog) : dialog_(dialog) {}

  void Accept() override;
  std::uint64_t Now() override;
  bool SendOutput(WindowRef reply_to, const Text& output) override;
  void Answer(int code) override;

 private:
  const OwnWindow& dialog_;
};

class Win32Console final : public Console {
 public:
  void Write(const Text& text) override;
  void WriteError(const Text& text) override;

 private:
  // The standard handle `which`, or else the console of the parent process.
  HANDLE Target(DWORD which);
  static void WriteText(HANDLE out, const Text& text);

  UniqueFile console_;
};

}  // namespace stackle::win32
