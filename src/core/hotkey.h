// A system-wide key combination, as the window system registers it.
#pragma once

#include <cstdint>

namespace stackle {

// Modifier bits, with the values the window system's hotkey registration takes.
enum : std::uint32_t { kModAlt = 1, kModControl = 2, kModShift = 4, kModWin = 8 };

struct Hotkey {
  std::uint32_t modifiers = 0;
  std::uint32_t key = 0;  // a virtual-key code; 0 is no hotkey
  bool IsOff() const { return key == 0; }
  friend bool operator==(const Hotkey&, const Hotkey&) = default;
};

}  // namespace stackle
