#pragma once
// The invariants of a world between steps, checked by the runner's and the islands' --check
// and by the tests.
#include <cstdint>

#include "world/creature_list.h"

namespace viv {

// Every creature finite (position, motion, energy, division energy, organ places and
// outputs), and listed at most once, in the cell of its position; the grid lists no one else
// (so no dead creature and none in a wrong cell). A seeded creature may be missing: it joins
// the grid when its own step first changes its cell. Throws EVivarion naming the step.
void CheckWorld(const TCreatureList& world, int64_t step);

}  // namespace viv
