// The settings reader on any first line: it never reads out of bounds, and whatever it
// reads, the dialog only ever lands where a monitor shows it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/sim/sim_window_system.h"
#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const stackle::StoredSettings read = stackle::ParseSettings(content, {});
  if (read.fields < 0 || read.fields > 5) std::abort();
  static stackle::sim::SimWindowSystem windows;
  if (const auto rect = stackle::PlaceableRect(read, windows)) {
    if (rect->Width() <= 0 || rect->Height() <= 0 || !windows.AnyMonitorShows(*rect)) {
      std::abort();
    }
  }
  return 0;
}
