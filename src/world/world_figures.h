#pragma once
// The figures shown in the overlay and printed by the runner.
#include <cstdint>
#include <map>
#include <string>

#include "world/creature_list.h"

namespace viv {

struct TWorldFigures {
  int32_t Animals = 0;
  int32_t Plants = 0;
  int64_t Biomass = 0;  // round(summed energy) div 100, clamped to the 64-bit range
  int32_t Species = 0;  // distinct names among the animals
};

// Counts the animals, plants, biomass and species of a world.
TWorldFigures CountWorld(const TCreatureList& world);

// The living animals by the file they descend from (a founder's file, or the file of animals an
// event put in; children keep their parent's): a tag that lasts through names and body plans,
// so that animals put into a world can be traced. The built-in animal's line is "".
std::map<std::string, int64_t> AnimalsByOrigin(const TCreatureList& world);

// round(energy) div 100 without overflow: too large (or infinite) gives INT64_MAX,
// never a negative value for a non-negative sum.
int64_t BiomassOf(float summedEnergy);

}  // namespace viv
