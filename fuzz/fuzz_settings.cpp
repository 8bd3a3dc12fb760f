// Any text as a settings or population file: an error naming the file, or values.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "config/settings.h"
#include "world/world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = "/tmp/vivarion-fuzz-settings-" + std::to_string(getpid()) + ".ini";
  FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    viv::TSettings settings;
    settings.Open(file);
  } catch (const std::exception&) {
  }
  viv::ReadPopulationFile(file);
  return 0;
}
