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
// "population.ini" in the current folder if it is there, else beside the executable, else the
// installed one (share/vivarion); the one beside the executable when none is there (its
// absence gives the defaults).
std::string FindPopulationFile();
// The same search for a program whose file lies in programFolder and whose installed files lie
// in installedFolder (both with a trailing "/"): the Python module looks from its own folder.
std::string FindPopulationFile(const std::string& programFolder, const std::string& installedFolder);
// The counts of a population file named on a command line (which must exist: throws
// EVivarion naming it), or with no name those of FindPopulationFile.
TPopulationCounts ReadPopulation(const std::string& given);

}  // namespace viv
