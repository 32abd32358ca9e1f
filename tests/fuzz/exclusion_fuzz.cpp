// The exclusion file and the substring test on any bytes: the first byte chooses where the
// file ends and the title begins.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "catalogue/exclusion_list.h"
#include "catalogue/text.h"
#include "platform/sim/sim_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t split = data[0] % size;
  const std::string_view file(reinterpret_cast<const char*>(data + 1), split);
  const std::string_view title_bytes(reinterpret_cast<const char*>(data + 1 + split),
                                     size - 1 - split);
  stackle::sim::SimFiles files;
  stackle::ExclusionList list;
  list.Replace(stackle::ParseExclusionFile(file, files));
  const stackle::Text title = stackle::DecodeUtf8(title_bytes);
  const bool excluded = list.Excludes(title);
  // An entry that is the whole title always excludes it.
  stackle::ExclusionList whole;
  whole.Replace({title});
  if (!whole.Excludes(title)) std::abort();
  // UTF-8 survives a round trip through the encoder.
  if (stackle::DecodeUtf8(stackle::EncodeUtf8(title)) != title) std::abort();
  (void)excluded;
  return 0;
}
