#include "islands/migration.h"

#include <algorithm>

#include "config/random.h"
#include "sim/world_file.h"
#include "world/grid.h"

namespace viv {

std::string TakeMigrants(TSimulation& sim, int32_t count, int32_t& taken) {
  std::vector<TCreature*> animals;
  for (TCreature* c : sim.World.List)
    if (!c->Vegetable) animals.push_back(c);
  // A partial shuffle: the first `count` places get distinct animals, drawn in turn.
  const int32_t n = std::min<int32_t>(count, static_cast<int32_t>(animals.size()));
  for (int32_t k = 0; k < n; ++k)
    std::swap(animals[k], animals[k + RandomInt(static_cast<int32_t>(animals.size()) - k)]);
  const std::vector<const TCreature*> leaving(animals.begin(), animals.begin() + n);
  taken = n;
  std::string bytes = CreatureBytes(leaving);
  std::vector<TCreature*>& list = sim.World.List;
  for (const TCreature* c : leaving) {
    sim.History.Depart(c->SpeciesLabel(), sim.StepCount);
    list.erase(std::find(list.begin(), list.end(), c));
    delete c;  // leaves its grid cell
  }
  return bytes;
}

int32_t Welcome(TSimulation& sim, const std::string& bytes) {
  if (bytes.empty()) return 0;  // an island that failed sends nothing
  const std::vector<TCreature*> arrivals = CreaturesFromBytes(bytes);
  for (TCreature* c : arrivals) {
    c->ParentElsewhere = true;  // its parent serial is the old island's
    sim.World.Add(c);
    GridAdd(c, c->X, c->Y);
    sim.History.Arrive(c->SpeciesLabel(), sim.StepCount);
  }
  return static_cast<int32_t>(arrivals.size());
}

}  // namespace viv
