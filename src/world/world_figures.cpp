#include "world/world_figures.h"

#include <cmath>
#include <limits>
#include <unordered_set>

namespace viv {

int64_t BiomassOf(float summedEnergy) {
  const double rounded = std::nearbyint(static_cast<double>(summedEnergy));
  if (std::isnan(rounded)) return 0;
  if (rounded >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
  if (rounded <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min() / 100;
  return static_cast<int64_t>(rounded) / 100;
}

TWorldFigures CountWorld(const TCreatureList& world) {
  TWorldFigures figures;
  float energy = 0;
  std::unordered_set<std::string> names;
  for (int32_t i = world.Count() - 1; i >= 0; --i) {
    const TCreature* c = world.List[i];
    energy += c->Energy();
    if (c->Vegetable) {
      ++figures.Plants;
    } else {
      ++figures.Animals;
      names.insert(c->Name);
    }
  }
  figures.Biomass = BiomassOf(energy);
  figures.Species = static_cast<int32_t>(names.size());
  return figures;
}

std::map<std::string, int64_t> AnimalsByOrigin(const TCreatureList& world) {
  std::map<std::string, int64_t> animals;
  for (const TCreature* c : world.List)
    if (!c->Vegetable) ++animals[c->Origin];
  return animals;
}

}  // namespace viv
