#include "settings/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "catalogue/text.h"

namespace stackle {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

// Five fields as a four-digit hexadecimal scan takes them: blanks skipped before a field, at
// most four digits of either case, stopping at the first field that does not start with one.
int ScanHexFields(std::string_view line, std::int64_t (&values)[5]) {
  std::size_t at = 0;
  int fields = 0;
  for (; fields < 5; ++fields) {
    at = std::min(line.find_first_not_of(kBlanks, at), line.size());
    if (at == line.size() || HexDigitValue(line[at]) < 0) break;
    std::int64_t value = 0;
    for (int digits = 0; digits < 4 && at < line.size() && HexDigitValue(line[at]) >= 0; ++digits) {
      value = value * 16 + HexDigitValue(line[at++]);
    }
    values[fields] = value;
  }
  return fields;
}

// "#" and five signed decimal numbers separated by commas; all five or none.
int ScanWideFields(std::string_view line, std::int64_t (&values)[5]) {
  std::int64_t parsed[5];
  const char* at = line.data() + 1;
  const char* end = line.data() + line.size();
  for (int i = 0; i < 5; ++i) {
    if (i > 0) {
      if (at >= end || *at != ',') return 0;
      ++at;
    }
    auto [next, error] = std::from_chars(at, end, parsed[i]);
    if (error != std::errc()) return 0;
    at = next;
  }
  if (!Trim(std::string_view(at, static_cast<std::size_t>(end - at)), kBlanks).empty()) return 0;
  if (parsed[4] < 0 || parsed[4] > UINT32_MAX) return 0;
  for (int i = 0; i < 4; ++i) {
    if (parsed[i] < INT32_MIN || parsed[i] > INT32_MAX) return 0;
  }
  std::copy(parsed, parsed + 5, values);
  return 5;
}

bool FitsFourDigits(std::int64_t value) {
  return value >= 0 && value <= 0xFFFF;
}

}  // namespace

StoredSettings ParseSettings(std::string_view content, const StoredSettings& current) {
  const std::string_view line = content.substr(0, content.find('\n'));
  std::int64_t values[5] = {current.rect.top, current.rect.left, current.rect.bottom,
                            current.rect.right, current.interval};
  const int fields =
      line.starts_with('#') ? ScanWideFields(line, values) : ScanHexFields(line, values);
  StoredSettings read;
  read.fields = fields;
  read.rect = {static_cast<std::int32_t>(values[1]), static_cast<std::int32_t>(values[0]),
               static_cast<std::int32_t>(values[3]), static_cast<std::int32_t>(values[2])};
  read.interval = static_cast<std::uint32_t>(values[4]);
  return read;
}

std::string FormatSettings(const Rect& rect, std::uint32_t interval) {
  char line[96];
  if (FitsFourDigits(rect.top) && FitsFourDigits(rect.left) && FitsFourDigits(rect.bottom) &&
      FitsFourDigits(rect.right) && FitsFourDigits(interval)) {
    std::snprintf(line, sizeof line, "%04X%04X%04X%04X%04X\r\n", static_cast<unsigned>(rect.top),
                  static_cast<unsigned>(rect.left), static_cast<unsigned>(rect.bottom),
                  static_cast<unsigned>(rect.right), static_cast<unsigned>(interval));
  } else {
    std::snprintf(line, sizeof line, "#%ld,%ld,%ld,%ld,%lu\r\n", static_cast<long>(rect.top),
                  static_cast<long>(rect.left), static_cast<long>(rect.bottom),
                  static_cast<long>(rect.right), static_cast<unsigned long>(interval));
  }
  return line;
}

std::optional<Rect> PlaceableRect(const StoredSettings& stored, WindowSystem& windows) {
  if (stored.fields < 4) return std::nullopt;
  const Rect rect = stored.rect;
  // In 64 bits: the file may hold edges whose difference does not fit in 32.
  const std::int64_t stored_width = std::int64_t{rect.right} - rect.left;
  const std::int64_t stored_height = std::int64_t{rect.bottom} - rect.top;
  if (stored_width <= 0 || stored_height <= 0) return std::nullopt;
  if (stored_width <= INT32_MAX && stored_height <= INT32_MAX && windows.AnyMonitorShows(rect)) {
    return rect;
  }
  const Rect area = windows.NearestWorkArea(rect);
  const auto width = static_cast<std::int32_t>(std::min<std::int64_t>(stored_width, area.Width()));
  const auto height =
      static_cast<std::int32_t>(std::min<std::int64_t>(stored_height, area.Height()));
  const std::int32_t left = std::clamp(rect.left, area.left, area.right - width);
  const std::int32_t top = std::clamp(rect.top, area.top, area.bottom - height);
  return Rect{left, top, left + width, top + height};
}

}  // namespace stackle
