#pragma once
// Migration between islands: animals picked by the island's own generator leave with their
// full state; arrivals join through TSimulation::Admit, where they were, in the order sent.
#include <cstdint>
#include <string>

#include "sim/simulation.h"

namespace viv {

// Removes up to count animals, picked at random, and returns them as bytes (taken: how
// many); the history notes their departure.
std::string TakeMigrants(TSimulation& sim, int32_t count, int32_t& taken);

}  // namespace viv
