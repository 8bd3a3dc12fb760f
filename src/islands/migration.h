#pragma once
// Migration between islands: animals picked by the island's own generator leave with their
// full state, and arrivals join the population where they were, in the order they were sent.
#include <cstdint>
#include <string>

#include "sim/simulation.h"

namespace viv {

// Removes up to count animals, picked at random, and returns them as bytes (taken: how
// many); the history notes their departure.
std::string TakeMigrants(TSimulation& sim, int32_t count, int32_t& taken);
// Appends the animals of bytes at their coordinates, entered in the grid, each with a new
// serial of this world; the history notes their arrival. Returns how many arrived.
int32_t Welcome(TSimulation& sim, const std::string& bytes);

}  // namespace viv
