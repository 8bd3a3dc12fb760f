// Any text read as an animal file: an error or a creature, never a crash. A creature that
// was read writes a file that reads back to the same text.
#include <cstdlib>
#include <string>

#include "creature/creature.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  viv::TCreature creature;
  try {
    creature.LoadFromText(text, "fuzz.viv");
  } catch (const std::exception&) {
    return 0;
  }
  const std::string written = creature.ToXmlText();
  viv::TCreature again;
  again.LoadFromText(written, "again.viv");  // must not throw
  if (again.ToXmlText() != written) std::abort();
  viv::TRandom random;
  for (viv::TPart* part : creature.Parts.Items) {
    try {
      part->Update(random);
    } catch (const std::exception&) {
    }
  }
  return 0;
}
