// Every rectangle and interval the writer writes, the reader reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int32_t values[5] = {};
  std::memcpy(values, data, size < sizeof values ? size : sizeof values);
  const stackle::Rect rect{values[0], values[1], values[2], values[3]};
  const auto interval = static_cast<std::uint32_t>(values[4]);
  const std::string line = stackle::FormatSettings(rect, interval);
  const stackle::StoredSettings read = stackle::ParseSettings(line, {});
  if (read.fields != 5 || !(read.rect == rect) || read.interval != interval) std::abort();
  // The usual 22-byte line whenever every value fits in four digits.
  const bool small = values[0] >= 0 && values[0] <= 0xFFFF && values[1] >= 0 &&
                     values[1] <= 0xFFFF && values[2] >= 0 && values[2] <= 0xFFFF &&
                     values[3] >= 0 && values[3] <= 0xFFFF && interval <= 0xFFFF;
  if (small != (line.size() == 22 && line[0] != '#')) std::abort();
  return 0;
}
