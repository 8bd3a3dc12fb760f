// vivarion-cli: runs a world with no window, for batch runs, experiments and tests.
#include <unistd.h>

#include <clocale>
#include <iostream>
#include <stdexcept>

#include "cli/options.h"
#include "cli/runner.h"
#include "cli/study_command.h"

int main(int argc, char** argv) {
  // The user's locale, as any program takes it; number text never consults it.
  std::setlocale(LC_ALL, "");
  viv::TRunnerOptions options;
  try {
    options = viv::ParseRunnerOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::invalid_argument& e) {
    std::cerr << "vivarion-cli: " << e.what() << "\nsee 'vivarion-cli --help'\n";
    return 2;
  }
  if (options.Help) {
    std::cout << viv::RunnerUsage;
    return 0;
  }
  if (options.Version) {
    std::cout << "vivarion-cli " VIVARION_VERSION "\n";
    return 0;
  }
  options.Progress = isatty(STDERR_FILENO) != 0;
  if (!options.ExperimentFile.empty()) return viv::RunStudyCommand(options, std::cout, std::cerr, options.Progress);
  return viv::RunWorld(options, std::cout, std::cerr);
}
