// Any text as a number: an error or a value; a single-precision value written as text
// reads back unchanged.
#include <cmath>
#include <cstdlib>
#include <string>

#include "config/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    viv::StrToInt(text);
  } catch (const std::exception&) {
  }
  try {
    viv::StrToBool(text);
  } catch (const std::exception&) {
  }
  try {
    const float value = viv::StrToSingle(text);
    if (!std::isfinite(value)) std::abort();
    if (static_cast<float>(viv::StrToFloat(viv::FloatToText(value))) != value) std::abort();
  } catch (const std::exception&) {
  }
  return 0;
}
