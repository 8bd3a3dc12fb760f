#pragma once
// Runs a world without a window and reports on it.
#include <ostream>

#include "cli/options.h"

namespace viv {

// Loads the settings and animals, seeds, steps and reports as the options say.
// Returns the exit status: 0 done, 1 an error (one line on err).
int RunWorld(const TRunnerOptions& options, std::ostream& out, std::ostream& err);

}  // namespace viv
