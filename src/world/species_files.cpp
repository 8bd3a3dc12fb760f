#include "world/species_files.h"

#include <set>

#include "config/files.h"

namespace viv {

int SaveSpeciesFiles(const TCreatureList& world, const std::string& folder, int* kept) {
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\') prefix += '/';
  int written = 0, existing = 0;
  std::set<std::string> done;  // species already written or kept by this call
  const int32_t count = world.Count();
  for (int32_t i = 0; i < count; ++i) {
    const TCreature* c = world.List[i];
    if (c->Vegetable || !done.insert(c->Name).second) continue;
    // A species without a name would make a hidden ".viv"; mutated names are upper case,
    // so "unnamed" never meets one of them.
    const std::string fileName = prefix + (c->Name.empty() ? "unnamed" : c->Name) + ".viv";
    if (!FileExists(fileName) && WriteFileAtomically(fileName, c->ToXmlText(), true)) ++written;
    else ++existing;
  }
  if (kept) *kept = existing;
  return written;
}

}  // namespace viv
