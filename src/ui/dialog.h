// The dialog's own surface: what the main dialog does to its own window and controls, and the
// window messages it receives. The Win32 host and the simulation both implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "catalogue/window_system.h"

namespace stackle {

// Window messages keep their Windows numbers, so that the message table is the same code for
// the real dialog and the simulated one.
enum : std::uint32_t {
  kWmDestroy = 0x0002,
  kWmSize = 0x0005,
  kWmKillFocus = 0x0008,
  kWmClose = 0x0010,
  kWmInitDialog = 0x0110,
  kWmCommand = 0x0111,
  kWmInitMenu = 0x0116,
};

// Dialog button identifiers of the dialog manager.
enum : int {
  kIdOk = 1,
  kIdCancel = 2,
};

struct Message {
  std::uint32_t id = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
};

inline std::uint16_t LowWord(std::uintptr_t value) {
  return static_cast<std::uint16_t>(value);
}
inline std::uint16_t HighWord(std::uintptr_t value) {
  return static_cast<std::uint16_t>(value >> 16);
}
inline Message CommandMessage(int id, int code = 0) {
  return {kWmCommand, (static_cast<std::uintptr_t>(code & 0xFFFF) << 16) | (id & 0xFFFF), 0};
}

// What receives the dialog's messages.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  // A result when the message was handled; nothing for the dialog's default processing.
  virtual std::optional<std::intptr_t> HandleMessage(const Message& message) = 0;
};

class DialogSurface {
 public:
  virtual ~DialogSurface() = default;

  virtual WindowRef Window() = 0;
  // Finds the dialog's controls; runs first in the dialog's initialisation.
  virtual void BindControls() = 0;
  virtual void SetCaption(const Text& caption) = 0;
  // Gives the dialog its big and small icon.
  virtual void SetIcons() = 0;
  // Ends the modal run with `result`; the window is destroyed once the handler returns.
  virtual void EndDialog(int result) = 0;

  // The window list control: entries with a label and a window reference.
  virtual void ClearWindowList() = 0;
  // False when the control refuses the entry (out of memory).
  virtual bool AddWindowListEntry(const Text& label, WindowRef window) = 0;
  virtual std::size_t WindowListCount() = 0;
  virtual std::optional<std::size_t> WindowListSelection() = 0;
};

// Runs a dialog modally on the current thread.
class DialogHost : public DialogSurface {
 public:
  // Creates the main dialog, delivers its messages to `target` until EndDialog, destroys it.
  virtual int RunModal(MessageTarget& target) = 0;
};

}  // namespace stackle
