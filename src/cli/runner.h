#pragma once
// Runs a world without a window and reports on it.
#include <cstdint>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "cli/options.h"
#include "sim/simulation.h"

namespace viv {

// Loads the settings and animals, seeds, steps and reports as the options say.
// Returns the exit status: 0 done, 1 an error (one line on err).
int RunWorld(const TRunnerOptions& options, std::ostream& out, std::ostream& err);

// The settings file a run uses: the one named by --settings, which must be a file (else
// EVivarion naming it), or the one found; when none is found, a note on err (after
// "program: ") says where the search looked and that the built-in values serve.
std::string RunSettingsFile(const TRunnerOptions& options, std::ostream& err, const char* program);

// After a world file is loaded: with --world-settings, the settings saved in it take over;
// otherwise the keys whose values differ from the file's are returned as a note
// ("settings differ from the world file's: Brown 4 -> 2"), empty when none differ.
std::string SettleLoadedSettings(const TRunnerOptions& options, TSimulation& sim);

// A usage error that only the loaded world can show (exit status 2, as other usage errors).
struct ERunUsage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The step a run from step from ends at: --until, or --steps more. Throws ERunUsage when
// --until lies before from, EVivarion when --steps would pass the largest step count.
int64_t RunLastStep(const TRunnerOptions& options, int64_t from);

// Throws EVivarion naming the first output of the options that cannot be written (a missing
// or read-only folder, a name that is a folder), before any step is run. fileOf maps a name
// given on the command line to the file written (the islands add their number).
// Warns on err of what the animal files hold that the world takes but a person may not mean
// (formulas reading outputs their organs do not have), each file once.
void WarnOfAnimalFiles(const std::vector<std::string>& files, std::ostream& err, const std::string& program);
void CheckRunOutputs(const TRunnerOptions& options, const std::function<std::string(const std::string&)>& fileOf);

}  // namespace viv
