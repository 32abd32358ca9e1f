// The values every floor speaks: text, window and process identities, and screen geometry.
#pragma once

#include <cstdint>
#include <string>

namespace stackle {

// UTF-16 text, as the window system speaks it.
using Text = std::u16string;

// Another window's identity: its handle as an integer. 0 is no window.
using WindowRef = std::uintptr_t;
inline constexpr WindowRef kNoWindow = 0;

using ProcessId = std::uint32_t;

enum class PriorityClass : std::uint32_t {
  kIdle = 0x40,
  kNormal = 0x20,
  kHigh = 0x80,
  kRealtime = 0x100,
};

// Where SetWindowPos puts a window; the values are the system's HWND_* constants.
enum class InsertAfter : std::intptr_t {
  kTop = 0,
  kBottom = 1,
  kTopMost = -1,
  kNoTopMost = -2,
};

// ShowWindow commands, with the system's SW_* values.
enum class ShowCommand : int {
  kHide = 0,
  kShowNormal = 1,
  kMaximize = 3,
  kShow = 5,
  kMinimize = 6,
};

// DWM_CLOAKED_* values: by its own app (a Store app not running, a shell surface), by the
// shell (another virtual desktop), or through its owner.
inline constexpr std::uint32_t kCloakedByApp = 1, kCloakedByShell = 2, kCloakedByOwner = 4;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom are exclusive, as the window system gives them.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace stackle
