// stackle.dat: one line with the dialog's rectangle and the mouse-follow interval.
//
// The usual line is five fields of four upper-case hexadecimal digits, top, left, bottom,
// right and interval, then CR LF: 22 bytes. A rectangle that does not fit in 0..65535 (a
// dialog on a monitor left of or above the primary one) is written as "#" and five signed
// decimal numbers separated by commas, in the same order, which the four-digit reader
// cannot mistake for its own format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/window_system.h"

namespace stackle {

struct StoredSettings {
  // How many of the five fields the line held, in order: top, left, bottom, right, interval.
  int fields = 0;
  Rect rect{};
  std::uint32_t interval = 0;
};

// Reads the first line of the file's content. Fields the line does not hold keep the values
// of `current`.
StoredSettings ParseSettings(std::string_view content, const StoredSettings& current);
std::string FormatSettings(const Rect& rect, std::uint32_t interval);

// The rectangle to move the dialog to, or nothing: fewer than four rectangle fields, or no
// positive width and height. A rectangle no monitor shows any more is moved onto the nearest
// monitor's work area, keeping its size where it fits.
std::optional<Rect> PlaceableRect(const StoredSettings& stored, WindowSystem& windows);

}  // namespace stackle
