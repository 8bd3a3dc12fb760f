#include "islands/migration.h"

#include <algorithm>

#include "config/random.h"

namespace viv {

std::string TakeMigrants(TSimulation& sim, int32_t count, int32_t& taken) {
  std::vector<uint64_t> animals;
  for (const TCreature* c : sim.World.List)
    if (!c->Vegetable) animals.push_back(c->Serial);
  // A partial shuffle: the first `count` places get distinct animals, drawn in turn.
  const int32_t n = std::min<int32_t>(count, static_cast<int32_t>(animals.size()));
  for (int32_t k = 0; k < n; ++k)
    std::swap(animals[k], animals[k + RandomInt(static_cast<int32_t>(animals.size()) - k)]);
  animals.resize(static_cast<size_t>(n));
  taken = n;
  return sim.Depart(animals);
}

}  // namespace viv
