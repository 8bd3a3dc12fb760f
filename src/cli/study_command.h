#pragma once
// vivarion-cli --experiment: runs a study file's runs, N at a time, with a line of progress
// for the whole study, and writes its tables (and its chart with --plot).
#include <ostream>

#include "cli/options.h"

namespace viv {

// Returns the exit status: 0 done, 1 a fault (one line on err, naming the file).
int RunStudyCommand(const TRunnerOptions& options, std::ostream& out, std::ostream& err, bool terminal);

}  // namespace viv
