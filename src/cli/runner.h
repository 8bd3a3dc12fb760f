#pragma once
// Runs a world without a window and reports on it.
#include <ostream>

#include "cli/options.h"

namespace viv {

// Loads the settings and animals, seeds, steps and reports as the options say.
// Returns the exit status: 0 done, 1 an error (one line on err).
int RunWorld(const TRunnerOptions& options, std::ostream& out, std::ostream& err);

// The --check of a step: every creature and organ output finite, and the grid listing only
// living creatures, each at most once and in the cell of its position. Throws EVivarion.
void CheckWorld(const TCreatureList& world, int64_t step);

}  // namespace viv
