#include "islands/migration.h"

namespace viv {

std::string TakeMigrants(TSimulation& sim, int32_t count, int32_t& taken) {
  const std::vector<uint64_t> animals = sim.DrawAnimals(count);
  taken = static_cast<int32_t>(animals.size());
  return sim.Depart(animals);
}

}  // namespace viv
