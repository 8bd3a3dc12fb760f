#pragma once
// Ready-made worlds shared by tests and benchmarks (not part of the programs).
#include <cstdint>

#include "world/world.h"

namespace viv {

// The VIVARION.ini that ships with the program, read from the source tree.
TSettings ShippedSettings();
// Puts them in force in world.
void UseShippedSettings(TCreatureList& world);

// A world of count creatures, a fifth of them built-in animals and the rest plants, in
// random order, scattered uniformly over a square of the given side around the origin and
// entered in the grid. Draws from the world's stream after seeding it with seed.
void BuildScatteredWorld(TCreatureList& world, int32_t count, float side, uint64_t seed);

}  // namespace viv
