// Window messages keep their Windows numbers, so that the message table is the same code for
// the real dialog and the simulated one.
#pragma once

#include <cstdint>
#include <optional>

#include "core/types.h"

namespace stackle {

enum : std::uint32_t {
  kWmDestroy = 0x0002,
  kWmSize = 0x0005,
  kWmPaint = 0x000F,
  kWmClose = 0x0010,
  kWmEndSession = 0x0016,
  kWmGetMinMaxInfo = 0x0024,
  kWmQueryDragIcon = 0x0037,
  kWmCopyData = 0x004A,
  kWmContextMenu = 0x007B,
  kWmInitDialog = 0x0110,
  kWmCommand = 0x0111,
  kWmSysCommand = 0x0112,
  kWmTimer = 0x0113,
  kWmInitMenu = 0x0116,
  kWmHotkey = 0x0312,
  // Sent by the modal loop whenever its queue has run empty (the first paint done), until the
  // dialog answers 0: the place for work that must not hold up the dialog's first showing.
  kWmKickIdle = 0x036A,
};

// Size types of WM_SIZE.
enum : std::uintptr_t {
  kSizeRestored = 0,
  kSizeMinimized = 1,
};

// Mouse messages the tray icon reports.
enum : std::intptr_t {
  kWmLButtonDown = 0x0201,
  kWmRButtonDown = 0x0204,
};

// List box notifications.
enum : int {
  kLbnSelChange = 1,
  kLbnDblClk = 2,
};

// Dialog button identifiers of the dialog manager.
enum : int {
  kIdOk = 1,
  kIdCancel = 2,
};

// The window system's offer of minimum and maximum sizes (WM_GETMINMAXINFO), laid out as
// Windows lays it out.
struct MinMaxInfo {
  Point reserved;
  Point max_size;
  Point max_position;
  Point min_track_size;
  Point max_track_size;
};

// The data another program hands over with WM_COPYDATA, laid out as Windows lays it out.
struct CopyData {
  std::uintptr_t tag;
  std::uint32_t size;
  const void* data;
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

// What receives a dialog's messages.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  // A result when the message was handled; nothing for the dialog's default processing.
  virtual std::optional<std::intptr_t> HandleMessage(const Message& message) = 0;
};

}  // namespace stackle
