#pragma once
// The runner's command line.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "world/world.h"

namespace viv {

struct TRunnerOptions {
  std::string SettingsFile;    // empty: FindSettingsFile()
  std::string PopulationFile;  // empty: population.ini here, then beside the program
  std::optional<uint64_t> Seed;
  int64_t Steps = 1000;
  std::optional<int64_t> Until;  // run until the step count reaches it, instead of Steps more
  int32_t Width = 800, Height = 600;
  int64_t Report = 0;
  std::string CsvFile;
  std::string SaveAnimalsFolder;
  std::string PngFile;
  // A film of the run, and the view of it and of --png.
  std::string FilmFile;
  int64_t FilmEvery = 1;
  std::optional<std::pair<int32_t, int32_t>> FilmSize;  // default: Width x Height
  int32_t FilmFps = 30;
  std::optional<std::pair<float, float>> Centre;
  float Zoom = 0.2f;
  uint64_t FollowSerial = 0;
  bool FollowLargest = false;
  std::string PlotFile;            // a chart of the figures over time
  TPasses Passes = TPasses::Fast;  // --reference: the plain passes
  bool Check = false;
  int32_t Threads = 0;               // 0: all cores
  bool NoCaption = false;            // pictures and films of the world alone, without the line of step and counts
  int64_t MaxCreatures = 1'000'000;  // the world's creature limit
  bool Help = false;
  bool Version = false;
  bool Progress = false;  // a progress line on standard error (set when it is a terminal)
  bool Hash = false;      // the world hash on every status line
  std::string SaveWorldFile;
  std::string LoadWorldFile;
  bool WorldSettings = false;  // run a loaded world under the settings saved in it
  std::string CheckpointFile;
  std::string StatsFile, SpeciesCsvFile, PhylogenyFile;
  std::string TaxaCsvFile, TaxaTreeFile, EvolutionFile;
  int64_t Persistence = 5000;  // steps a taxon lives before it counts as persistent
  int64_t CheckpointEvery = 0;
  std::vector<std::string> AnimalFiles;
  // Time travel: the step a loaded world starts at (from its timeline file, or run on to it),
  // the timeline saved beside --save-world, its keyframes' spacing, and a what-if run's rules.
  std::optional<int64_t> At;
  bool SaveTimeline = false;
  int64_t KeyframeEvery = 1000;
  std::string BranchSettingsFile;
  // A study file to run instead of one world, and how many of its runs at a time.
  std::string ExperimentFile;
  int32_t Jobs = 1;
};

// Parses the arguments (without the program name). Throws std::invalid_argument with a
// message for a usage error.
TRunnerOptions ParseRunnerOptions(const std::vector<std::string>& args);

extern const char* const RunnerUsage;

// The whole number an option's text holds, at least min; else std::invalid_argument saying
// so ("--steps needs a whole number of 0 or more, not 'abc'").
int64_t WholeOption(const std::string& option, const std::string& text, int64_t min);

}  // namespace viv
