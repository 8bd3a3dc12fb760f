#pragma once
// The islands program's command line: the runner's options, the two of migration and the
// islands of a process.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/options.h"

namespace viv {

struct TIslandOptions {
  TRunnerOptions Run;
  int64_t MigrateEvery = 0;  // 0: never
  int32_t Migrants = 1;
  int32_t IslandsPerRank = 1;  // islands that each process holds and steps in turn
};

// Throws std::invalid_argument with a message for a usage error.
TIslandOptions ParseIslandOptions(const std::vector<std::string>& args);

// The file of island i for a name given on the command line: "world.vivw" -> "world.island2.vivw"
// (without an extension, ".island2" is appended).
std::string IslandFile(const std::string& name, int32_t island);
// A tag put before a file name's extension: "w.vivw", ".step9" -> "w.step9.vivw" (appended
// without an extension).
std::string WithTag(const std::string& name, const std::string& tag);

extern const char* const IslandsUsage;

}  // namespace viv
