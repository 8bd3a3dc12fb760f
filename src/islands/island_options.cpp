#include "islands/island_options.h"

#include <stdexcept>

namespace viv {

const char* const IslandsUsage =
    "usage: mpirun -n RANKS vivarion-islands [OPTIONS] [ANIMAL_FILE ...]\n"
    "Worlds (islands), --islands-per-rank of them in each MPI rank: RANKS x K islands, island\n"
    "r x K + k in rank r; island i is seeded with --seed + i. The runner's options, for every\n"
    "island, and:\n"
    "  --islands-per-rank K islands each rank holds and steps in turn, on one pool of threads\n"
    "                       (default 1); the same islands give the same output however spread\n"
    "                       over ranks\n"
    "  --migrate-every N    every N steps, each island sends --migrants of its animals, picked by\n"
    "                       its own generator, with their full state, to the next island (default 0: never)\n"
    "  --migrants K         animals that leave each island at a migration (default 1)\n"
    "With --experiment FILE, the ranks share out the study's runs (run i to rank i mod RANKS), each\n"
    "rank --jobs at a time, and the first rank writes the study's tables: the same as vivarion-cli's.\n"
    "World files (--save-world, --load-world, --checkpoint), --species-csv, --phylogeny, --taxa-csv,\n"
    "--taxa-tree and --film are one per island: NAME.vivw stands for NAME.island0.vivw, NAME.island1.vivw\n"
    "... and NAME.vivw itself lists the islands' world files once all are written (checkpoints:\n"
    "NAME.island0.stepS.vivw ..., older sets removed), so a killed run leaves a whole set to load.\n"
    "The rows of --stats get an island column first (and arrivals and departures last), as do\n"
    "those of --evolution. Migration needs two islands or more.\n"
    "The runner's options:\n";

TIslandOptions ParseIslandOptions(const std::vector<std::string>& args) {
  TIslandOptions o;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i], value;
    const size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) value = name.substr(equals + 1), name.resize(equals);
    if (name != "--migrate-every" && name != "--migrants" && name != "--islands-per-rank") {
      rest.push_back(args[i]);
      continue;
    }
    if (equals == std::string::npos) {
      if (i + 1 >= args.size()) throw std::invalid_argument(name + " needs a value");
      value = args[++i];
    }
    if (name == "--migrate-every") o.MigrateEvery = WholeOption(name, value, 0);
    else if (name == "--islands-per-rank")
      o.IslandsPerRank = static_cast<int32_t>(std::min<int64_t>(WholeOption(name, value, 1), 4096));
    else o.Migrants = static_cast<int32_t>(std::min<int64_t>(WholeOption(name, value, 0), 1 << 30));
  }
  o.Run = ParseRunnerOptions(rest);
  for (const auto& [option, given] : {std::pair{"--csv", !o.Run.CsvFile.empty()},
                                      {"--png", !o.Run.PngFile.empty()},
                                      {"--plot", !o.Run.PlotFile.empty()},
                                      {"--save-animals", !o.Run.SaveAnimalsFolder.empty()}})
    if (given) throw std::invalid_argument(std::string(option) + " is not available in vivarion-islands");
  return o;
}

std::string WithTag(const std::string& name, const std::string& tag) {
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1) return name + tag;
  return name.substr(0, dot) + tag + name.substr(dot);
}

std::string IslandFile(const std::string& name, int32_t island) {
  return WithTag(name, ".island" + std::to_string(island));
}

}  // namespace viv
