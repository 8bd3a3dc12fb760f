#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "config/errors.h"
#include "config/number_text.h"
#include "config/thread_pool.h"

namespace viv {

const char* const RunnerUsage =
    "usage: vivarion-cli [OPTIONS] [ANIMAL_FILE ...]\n"
    "  --settings FILE      settings file (default: VIVARION.ini beside the program, else\n"
    "                       $XDG_CONFIG_HOME/vivarion/VIVARION.ini, made from the installed default)\n"
    "  --population FILE    population file (default: population.ini in the current folder, then beside the program)\n"
    "  --seed N             seed of the random generator (default: from the clock)\n"
    "  --steps N            world steps to run (default: 1000)\n"
    "  --size WxH           the window size that seeding scatters over (default: 800x600)\n"
    "  --report N           print a status line every N steps (default 0: only at the end)\n"
    "  --csv FILE           write the status every --report steps and at the end, as CSV\n"
    "  --save-animals DIR   after the run, save the living species into DIR as the S key does\n"
    "  --png FILE           after the run, write the picture of the world at the default view\n"
    "  --film FILE          film the run: a frame every --film-every steps (counted from the world's\n"
    "                       start, so a resumed world's film goes on with the same frames); H.264 in\n"
    "                       MP4, or VP9 for a .webm name\n"
    "  --film-every N       steps between frames (default 1)\n"
    "  --film-size WxH      the film's frame size, even numbers (default: --size)\n"
    "  --film-fps F         frames a second of the film (default 30)\n"
    "  --centre X,Y         for --png and --film: the world point in the middle (default 0,0)\n"
    "  --zoom Z             for --png and --film: pixels per world unit (default 0.2, as the window)\n"
    "  --follow SERIAL|largest\n"
    "                       for --png and --film: keep that creature in the middle while it lives, or\n"
    "                       the largest animal (the next largest when it dies)\n"
    "  --no-caption         for --png and --film: the world alone, without the line of step and counts\n"
    "  --reference          run the plain passes of the world step (same results, slower)\n"
    "  --threads N          threads for the fast passes (default: all cores; at most four per core)\n"
    "  --max-creatures N    stop with a message when the world holds more creatures (default 1000000)\n"
    "  --check              after every step, check that every creature and organ output is finite and\n"
    "                       that the grid lists only living creatures, each at most once and in the\n"
    "                       cell of its position\n"
    "  --hash               add the world's 64-bit hash to every status line (hash=16 hex digits)\n"
    "  --save-world FILE    after the run, write the whole world to FILE (.vivw), to continue it later\n"
    "  --load-world FILE    start from a world file instead of seeding (animal files, the population\n"
    "                       file and --seed are not used); step numbers go on from the file's\n"
    "  --world-settings     with --load-world: run under the settings saved in the world file (without\n"
    "                       it, the settings file's values serve, and those that differ are named)\n"
    "  --until STEP         run until the world's step count reaches STEP (instead of --steps)\n"
    "  --at STEP            with --load-world: start at STEP, replayed from the timeline saved beside the\n"
    "                       world file (W.vivt for W.vivw), or run on to it from the world's own step;\n"
    "                       reports on the way restart their counts at multiples of --report, and\n"
    "                       the row files keep their rows up to STEP\n"
    "  --save-timeline      with --save-world: keep the world's timeline (its keyframes) beside it, W.vivt\n"
    "  --keyframe-every N   the timeline's keyframes every N steps (default 1000)\n"
    "  --branch-settings FILE\n"
    "                       with --load-world: a what-if run: from the world's step (or --at), the\n"
    "                       keys FILE holds change (the others keep the world's values); the keys\n"
    "                       that change are named\n"
    "  --checkpoint FILE    with --checkpoint-every N: write the world to FILE every N steps,\n"
    "  --checkpoint-every N   replacing the previous checkpoint whole\n"
    "  --stats FILE         species statistics every --report steps and at the end, as CSV\n"
    "  --species-csv FILE   after the run, every species that ever lived, as CSV\n"
    "  --phylogeny FILE     after the run, the species tree in Newick format\n"
    "  --taxa-csv FILE      after the run, every taxon (lineage of one body plan) that ever lived, as CSV\n"
    "  --taxa-tree FILE     after the run, the tree of taxa in Newick format\n"
    "  --evolution FILE     the measures of evolution every --report steps and at the end, as CSV:\n"
    "                       taxa, persistent taxa, change, novelty, ecology, complexity, activity\n"
    "                       and new activity, the activity of a neutral shadow, and the age of the\n"
    "                       living animals' common ancestor, beside the shadow's\n"
    "  --persistence N      steps a taxon must live to count as persistent (default 5000)\n"
    "  --plot FILE          after the run, a PNG chart of the figures over time (about 1,000 points,\n"
    "                       whatever --report); with --experiment, the study's measures, a line per\n"
    "                       sweep point and a band over its replicates\n"
    "  --experiment FILE    run the study that FILE (TOML) describes: its sweeps, seeds and events;\n"
    "                       results in its folder (results.csv, summary.csv, a folder per run); a study\n"
    "                       stopped half-way goes on where it stopped\n"
    "  --jobs N             with --experiment: runs at a time (default 1)\n"
    "  --version            show the version\n"
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

// A real number of an option ("--zoom needs a number, not 'abc'").
float Real(const std::string& option, const std::string& text) {
  try {
    return StrToSingle(text);
  } catch (const EConvertError&) {
    throw std::invalid_argument(option + " needs a number, not '" + text + "'");
  }
}

// How many letters must be inserted, removed or replaced to turn a into b.
size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The runner's option nearest to a misspelt one (within two letters), or "".
std::string NearestOption(const CLI::App& app, const std::string& given) {
  std::string best;
  size_t bestDistance = 3;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) {
      const size_t d = EditDistance(given, "--" + name);
      if (d < bestDistance) bestDistance = d, best = "--" + name;
    }
  }
  return best;
}

// CLI11's own words for a usage error, in the runner's: "--steps needs a value", "unknown
// option --frobnicate", "unknown option --sed (did you mean --seed?)".
std::string UsageMessage(const CLI::ParseError& e, const CLI::App& app) {
  std::string what = e.what();
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) return what.substr(0, what.find(':')) + " needs a value";
  if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
    const std::string::size_type colon = what.find(": ");
    std::string extra = colon == std::string::npos ? what : what.substr(colon + 2);
    if (const auto space = extra.find(' '); space != std::string::npos) extra.resize(space);
    const std::string nearest = extra.rfind("--", 0) == 0 ? NearestOption(app, extra) : "";
    return "unknown option " + extra + (nearest.empty() ? "" : " (did you mean " + nearest + "?)");
  }
  return what;
}

}  // namespace

int64_t WholeOption(const std::string& option, const std::string& text, int64_t min) {
  return Whole<int64_t>(option, text, min);
}

TRunnerOptions ParseRunnerOptions(const std::vector<std::string>& args) {
  TRunnerOptions o;
  CLI::App app("vivarion-cli");
  app.set_help_flag();  // -h and --help print the runner's own usage text
  // An option given twice counts once, the last time, as it always has.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  std::string seed, steps, size, report, until, every, threads, persistence, maxCreatures;
  std::string filmEvery, filmSize, filmFps, centre, zoom, follow;
  bool reference = false;
  app.add_flag("-h,--help", o.Help);
  app.add_flag("--version", o.Version);
  app.add_option("--settings", o.SettingsFile);
  app.add_option("--population", o.PopulationFile);
  app.add_option("--seed", seed);
  app.add_option("--steps", steps);
  app.add_option("--size", size);
  app.add_option("--report", report);
  app.add_option("--csv", o.CsvFile);
  app.add_option("--save-animals", o.SaveAnimalsFolder);
  app.add_option("--png", o.PngFile);
  app.add_option("--film", o.FilmFile);
  app.add_option("--film-every", filmEvery);
  app.add_option("--film-size", filmSize);
  app.add_option("--film-fps", filmFps);
  app.add_option("--centre", centre);
  app.add_option("--zoom", zoom);
  app.add_option("--follow", follow);
  app.add_option("--plot", o.PlotFile);
  app.add_flag("--no-caption", o.NoCaption);
  app.add_flag("--reference", reference);
  app.add_flag("--check", o.Check);
  app.add_option("--stats", o.StatsFile);
  app.add_option("--species-csv", o.SpeciesCsvFile);
  app.add_option("--phylogeny", o.PhylogenyFile);
  app.add_option("--taxa-csv", o.TaxaCsvFile);
  app.add_option("--taxa-tree", o.TaxaTreeFile);
  app.add_option("--evolution", o.EvolutionFile);
  app.add_option("--persistence", persistence);
  app.add_flag("--hash", o.Hash);
  app.add_option("--save-world", o.SaveWorldFile);
  app.add_option("--load-world", o.LoadWorldFile);
  app.add_flag("--world-settings", o.WorldSettings);
  app.add_option("--until", until);
  std::string at, keyframeEvery;
  app.add_option("--at", at);
  app.add_flag("--save-timeline", o.SaveTimeline);
  app.add_option("--keyframe-every", keyframeEvery);
  app.add_option("--branch-settings", o.BranchSettingsFile);
  app.add_option("--checkpoint", o.CheckpointFile);
  app.add_option("--checkpoint-every", every);
  app.add_option("--threads", threads);
  app.add_option("--max-creatures", maxCreatures);
  std::string jobs;
  app.add_option("--experiment", o.ExperimentFile);
  app.add_option("--jobs", jobs);
  app.add_option("animal-files", o.AnimalFiles)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  try {
    app.parse(std::vector<std::string>(args.rbegin(), args.rend()));  // CLI11 takes them last first
  } catch (const CLI::ParseError& e) {
    throw std::invalid_argument(UsageMessage(e, app));
  }
  auto given = [&](const char* name) { return app.count(name) > 0; };
  // A file or folder option given an empty name would be taken as not given at all.
  for (const char* named : {"--settings", "--population", "--csv", "--save-animals", "--png", "--film", "--plot",
                            "--stats", "--species-csv", "--phylogeny", "--taxa-csv", "--taxa-tree", "--evolution",
                            "--save-world", "--load-world", "--checkpoint", "--experiment", "--branch-settings"})
    if (given(named) && app.get_option(named)->as<std::string>().empty())
      throw std::invalid_argument(std::string(named) + " needs a file name, not an empty one");
  if (given("--seed")) o.Seed = Whole<uint64_t>("--seed", seed, 0);
  if (given("--steps")) o.Steps = Whole<int64_t>("--steps", steps, 0);
  auto dimensions = [](const char* option, const std::string& text) {
    const size_t x = text.find('x');
    if (x == std::string::npos) throw std::invalid_argument(std::string(option) + " needs WxH, not '" + text + "'");
    return std::make_pair(Whole<int32_t>(option, text.substr(0, x), 1), Whole<int32_t>(option, text.substr(x + 1), 1));
  };
  if (given("--size")) std::tie(o.Width, o.Height) = dimensions("--size", size);
  if (given("--film-every")) o.FilmEvery = Whole<int64_t>("--film-every", filmEvery, 1);
  if (given("--film-size")) o.FilmSize = dimensions("--film-size", filmSize);
  if (given("--film-fps")) o.FilmFps = Whole<int32_t>("--film-fps", filmFps, 1);
  if (given("--centre")) {
    const size_t comma = centre.find(',');
    if (comma == std::string::npos) throw std::invalid_argument("--centre needs X,Y, not '" + centre + "'");
    o.Centre = std::make_pair(Real("--centre", centre.substr(0, comma)), Real("--centre", centre.substr(comma + 1)));
  }
  if (given("--zoom")) {
    o.Zoom = Real("--zoom", zoom);
    if (!(o.Zoom > 0)) throw std::invalid_argument("--zoom needs a number above 0, not '" + zoom + "'");
  }
  if (given("--follow")) {
    if (follow == "largest") o.FollowLargest = true;
    else {
      try {
        o.FollowSerial = Whole<uint64_t>("--follow", follow, 1);
      } catch (const std::invalid_argument&) {
        throw std::invalid_argument("--follow needs a creature's serial (a whole number above 0) or 'largest', not '" +
                                    follow + "'");
      }
    }
  }
  if (!given("--film") && (given("--film-every") || given("--film-size") || given("--film-fps")))
    throw std::invalid_argument("--film-every, --film-size and --film-fps go with --film");
  if (given("--report")) o.Report = Whole<int64_t>("--report", report, 0);
  if (given("--until")) o.Until = Whole<int64_t>("--until", until, 0);
  if (o.Until && given("--steps")) throw std::invalid_argument("--until and --steps do not go together: give one");
  if (given("--checkpoint-every")) o.CheckpointEvery = Whole<int64_t>("--checkpoint-every", every, 1);
  if (given("--max-creatures")) o.MaxCreatures = Whole<int64_t>("--max-creatures", maxCreatures, 1);
  if (given("--threads")) {
    o.Threads = Whole<int32_t>("--threads", threads, 1);
    if (o.Threads > MaxWorkerThreads())
      throw std::invalid_argument("--threads: at most " + std::to_string(MaxWorkerThreads()) +
                                  " on this machine (four per core), not " + threads);
  }
  if (given("--persistence")) o.Persistence = Whole<int64_t>("--persistence", persistence, 1);
  if (reference) o.Passes = TPasses::Plain;
  if (given("--jobs")) {
    if (o.ExperimentFile.empty()) throw std::invalid_argument("--jobs goes with --experiment");
    o.Jobs = Whole<int32_t>("--jobs", jobs, 1);
  }
  if (!o.ExperimentFile.empty()) {
    // A study says in its file what a single run takes from the command line.
    for (const CLI::Option* option : app.get_options())
      if (option->count() > 0 && option->get_name() != "--experiment" && option->get_name() != "--jobs" &&
          option->get_name() != "--settings" && option->get_name() != "--population" &&
          option->get_name() != "--plot" && option->get_name() != "--threads")
        throw std::invalid_argument("--experiment takes its runs from the study file; " +
                                    (option->get_name().empty() ? std::string("animal files") : option->get_name()) +
                                    " goes in the file, not on the command line");
  }
  if (o.WorldSettings && o.LoadWorldFile.empty())
    throw std::invalid_argument("--world-settings goes with --load-world");
  if (given("--at")) o.At = Whole<int64_t>("--at", at, 0);
  if (given("--keyframe-every")) o.KeyframeEvery = Whole<int64_t>("--keyframe-every", keyframeEvery, 1);
  if ((o.At || !o.BranchSettingsFile.empty()) && o.LoadWorldFile.empty())
    throw std::invalid_argument(std::string(o.At ? "--at" : "--branch-settings") + " goes with --load-world");
  if (o.SaveTimeline && o.SaveWorldFile.empty()) throw std::invalid_argument("--save-timeline goes with --save-world");
  if (o.CheckpointFile.empty() != (o.CheckpointEvery == 0))
    throw std::invalid_argument("--checkpoint and --checkpoint-every go together");
  return o;
}

}  // namespace viv
