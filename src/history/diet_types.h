#pragma once
// How many ways to live the animals of a world take, counted by colour: under plant colours the
// kind of plant each animal digests best (its diet type), without them the clusters of animal
// colours (animals within a tenth of the red and blue range of each other, linked in chains).
#include <cstdint>

#include "world/creature_list.h"

namespace viv {

// The diet types (or colour clusters) that hold at least this share of the animals.
int32_t CommonDietTypes(const TCreatureList& world, double share);

}  // namespace viv
