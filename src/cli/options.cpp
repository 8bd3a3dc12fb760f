#include "cli/options.h"

#include <charconv>
#include <stdexcept>

namespace viv {

const char* const RunnerUsage =
    "usage: vivarion-cli [OPTIONS] [ANIMAL_FILE ...]\n"
    "  --settings FILE      settings file (default: VIVARION.ini beside the program)\n"
    "  --population FILE    population file (default: population.ini in the current folder, then beside the program)\n"
    "  --seed N             seed of the random generator (default: from the clock)\n"
    "  --steps N            world steps to run (default: 1000)\n"
    "  --size WxH           the window size that seeding scatters over (default: 800x600)\n"
    "  --report N           print a status line every N steps (default 0: only at the end)\n"
    "  --csv FILE           write the status every --report steps and at the end, as CSV\n"
    "  --save-animals DIR   after the run, save the living species into DIR as the S key does\n"
    "  --png FILE           after the run, write the picture of the world at the default view\n"
    "  --reference          run the plain passes of the world step (same results, slower)\n"
    "  --threads N          threads for the fast passes (default: all cores)\n"
    "  --check              after every step, check that every creature and organ output is finite and\n"
    "                       that the grid lists only living creatures, each at most once and in the\n"
    "                       cell of its position\n"
    "  --hash               add the world's 64-bit hash to every status line (hash=16 hex digits)\n"
    "  --save-world FILE    after the run, write the whole world to FILE (.vivw), to continue it later\n"
    "  --load-world FILE    start from a world file instead of seeding (animal files, the population\n"
    "                       file and --seed are not used); step numbers go on from the file's\n"
    "  --until STEP         run until the world's step count reaches STEP (instead of --steps)\n"
    "  --checkpoint FILE    with --checkpoint-every N: write the world to FILE every N steps,\n"
    "  --checkpoint-every N   replacing the previous checkpoint whole\n"
    "  --stats FILE         species statistics every --report steps and at the end, as CSV\n"
    "  --species-csv FILE   after the run, every species that ever lived, as CSV\n"
    "  --phylogeny FILE     after the run, the species tree in Newick format\n"
    "  -h, --help           show this help\n";

namespace {

template <class T>
T Whole(const std::string& option, const std::string& text, T min) {
  T value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min)
    throw std::invalid_argument(option + " needs a whole number" + (min > 0 ? " above 0" : " of 0 or more") +
                                ", not '" + text + "'");
  return value;
}

}  // namespace

TRunnerOptions ParseRunnerOptions(const std::vector<std::string>& args) {
  TRunnerOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
      return args[++i];
    };
    if (a == "-h" || a == "--help") {
      o.Help = true;
    } else if (a == "--settings") {
      o.SettingsFile = value();
    } else if (a == "--population") {
      o.PopulationFile = value();
    } else if (a == "--seed") {
      o.Seed = Whole<uint64_t>(a, value(), 0);
    } else if (a == "--steps") {
      o.Steps = Whole<int64_t>(a, value(), 0);
    } else if (a == "--size") {
      const std::string& v = value();
      size_t x = v.find('x');
      if (x == std::string::npos) throw std::invalid_argument("--size needs WxH, not '" + v + "'");
      o.Width = Whole<int32_t>(a, v.substr(0, x), 1);
      o.Height = Whole<int32_t>(a, v.substr(x + 1), 1);
    } else if (a == "--report") {
      o.Report = Whole<int64_t>(a, value(), 0);
    } else if (a == "--csv") {
      o.CsvFile = value();
    } else if (a == "--save-animals") {
      o.SaveAnimalsFolder = value();
    } else if (a == "--png") {
      o.PngFile = value();
    } else if (a == "--reference") {
      o.Passes = TPasses::Plain;
    } else if (a == "--check") {
      o.Check = true;
    } else if (a == "--stats") {
      o.StatsFile = value();
    } else if (a == "--species-csv") {
      o.SpeciesCsvFile = value();
    } else if (a == "--phylogeny") {
      o.PhylogenyFile = value();
    } else if (a == "--hash") {
      o.Hash = true;
    } else if (a == "--save-world") {
      o.SaveWorldFile = value();
    } else if (a == "--load-world") {
      o.LoadWorldFile = value();
    } else if (a == "--until") {
      o.Until = Whole<int64_t>(a, value(), 0);
    } else if (a == "--checkpoint") {
      o.CheckpointFile = value();
    } else if (a == "--checkpoint-every") {
      o.CheckpointEvery = Whole<int64_t>(a, value(), 1);
    } else if (a == "--threads") {
      o.Threads = Whole<int32_t>(a, value(), 1);
    } else if (a.size() > 1 && a[0] == '-') {
      throw std::invalid_argument("unknown option " + a);
    } else {
      o.AnimalFiles.push_back(a);
    }
  }
  if (o.CheckpointFile.empty() != (o.CheckpointEvery == 0))
    throw std::invalid_argument("--checkpoint and --checkpoint-every go together");
  return o;
}

}  // namespace viv
