// Any bytes as a world file (when they start with "V") or as the unpacked body of one (the
// checksum stops nearly every mutated file, so the body's reader is fuzzed on its own): an
// error naming the fault, or a world that steps without crashing.
#include <string_view>

#include "sim/world_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static viv::TWorld world;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    if (!bytes.empty() && bytes[0] == 'V') viv::LoadWorldBytes(bytes, "fuzz.vivw", world);
    else viv::LoadWorldBody(bytes.empty() ? bytes : bytes.substr(1), world);
    if (world.Count() <= 64)
      for (int i = 0; i < 3; ++i) world.WorldStep();
  } catch (const std::exception&) {
  }
  world.Clear();
  return 0;
}
