#pragma once
// How many animals and plants a new world is seeded with, and the population file that says so.
#include <cstdint>
#include <string>

namespace viv {

struct TPopulationCounts {
  int32_t NumCreatures = 1;
  int32_t NumFood = 300;
};

// Reads section "Population" of a population file; absent file, keys or bad values give
// the defaults (1 animal, 300 plants).
TPopulationCounts ReadPopulationFile(const std::string& fileName);
// "population.ini" in the current folder if it is there, else beside the executable.
std::string FindPopulationFile();
// The counts of a population file named on a command line (which must exist: throws
// EVivarion naming it), or with no name those of FindPopulationFile.
TPopulationCounts ReadPopulation(const std::string& given);

}  // namespace viv
