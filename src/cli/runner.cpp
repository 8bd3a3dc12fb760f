#include "cli/runner.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "cli/progress_line.h"
#include "cli/run_film.h"
#include "cli/time_travel.h"
#include "config/data_files.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/random.h"
#include "config/settings.h"
#include "config/thread_pool.h"
#include "creature/animal_edit.h"
#include "creature/creature.h"
#include "history/report_rows.h"
#include "history/run_samples.h"
#include "sim/row_file.h"
#include "sim/run_driver.h"
#include "sim/simulation.h"
#include "sim/timeline_file.h"
#include "world/world.h"
#include "world/world_figures.h"
#ifdef VIVARION_WITH_VIEW
#include "view/run_charts.h"
#endif

namespace viv {

int64_t RunLastStep(const TRunnerOptions& o, int64_t from) {
  if (o.Until && *o.Until < from)
    throw ERunUsage("--until " + std::to_string(*o.Until) + " is before the world's step " + std::to_string(from));
  if (!o.Until && o.Steps > INT64_MAX - from) throw EVivarion("--steps goes past the largest step count");
  return o.Until ? *o.Until : from + o.Steps;
}

std::string RunSettingsFile(const TRunnerOptions& o, std::ostream& err, const char* program) {
  if (!o.SettingsFile.empty()) {
    CheckSettingsFile(o.SettingsFile);
    return o.SettingsFile;
  }
  const TSettingsSearch search = SearchSettingsFile();
  if (!search.Found) err << program << ": " << SettingsNotFoundNote(search) << '\n';
  return search.File;
}

std::string SettleLoadedSettings(const TRunnerOptions& o, TSimulation& sim) {
  if (o.WorldSettings) {
    TSettings rules = sim.FileSettings();
    rules.FileName = sim.Rules().FileName;
    sim.SetRules(rules);
    return {};
  }
  const std::string differences = SettingsDifferences(sim.FileSettings(), sim.Rules());
  return differences.empty() ? differences : "settings differ from the world file's: " + differences;
}

void WarnOfAnimalFiles(const std::vector<std::string>& files, std::ostream& err, const std::string& program) {
  std::set<std::string> told;
  for (const std::string& file : files) {
    if (!told.insert(file).second) continue;
    TCreature animal;
    animal.LoadFromFile(file);
    const std::vector<std::string> warnings = FormulaWarnings(animal);
    const size_t shown = std::min<size_t>(warnings.size(), 5);  // a file of many such terms is told briefly
    for (size_t k = 0; k < shown; ++k) err << program << ": warning: " << file << ": " << warnings[k] << '\n';
    if (warnings.size() > shown)
      err << program << ": warning: " << file << ": and " << warnings.size() - shown << " more terms like these\n";
  }
}

void CheckRunOutputs(const TRunnerOptions& o, const std::function<std::string(const std::string&)>& fileOf) {
  // Worlds (written whole, after the world was read) may go where the world came from.
  const std::vector<std::pair<const char*, const std::string*>> worlds = {{"--save-world", &o.SaveWorldFile},
                                                                          {"--checkpoint", &o.CheckpointFile}};
  const std::vector<std::pair<const char*, const std::string*>> others = {{"--csv", &o.CsvFile},
                                                                          {"--stats", &o.StatsFile},
                                                                          {"--species-csv", &o.SpeciesCsvFile},
                                                                          {"--phylogeny", &o.PhylogenyFile},
                                                                          {"--plot", &o.PlotFile},
                                                                          {"--png", &o.PngFile},
                                                                          {"--taxa-csv", &o.TaxaCsvFile},
                                                                          {"--taxa-tree", &o.TaxaTreeFile},
                                                                          {"--evolution", &o.EvolutionFile},
                                                                          {"--film", &o.FilmFile}};
  std::vector<std::pair<std::string, std::string>> inputs = {{"--settings", o.SettingsFile},
                                                             {"--population", o.PopulationFile}};
  for (const std::string& animal : o.AnimalFiles) inputs.emplace_back("the animal file", animal);
  std::vector<std::pair<std::string, std::string>> outputs;
  for (const auto& list : {worlds, others})
    for (const auto& [option, name] : list)
      if (!name->empty()) outputs.emplace_back(option, fileOf(*name));
  // The timeline written beside the world, and the one read beside the loaded world: no other
  // output may take their names (the timeline written may replace the one read).
  if (o.SaveTimeline && !o.SaveWorldFile.empty())
    outputs.emplace_back("--save-timeline", fileOf(TimelineFileFor(o.SaveWorldFile)));
  const std::string timelineRead =
      !o.LoadWorldFile.empty() && (o.At || !o.BranchSettingsFile.empty()) ? TimelineFileFor(o.LoadWorldFile) : "";
  auto refuse = [](const std::string& file, const std::string& a, const std::string& b) {
    throw EVivarion(file + ": named by both " + a + " and " + b + "; give each its own file");
  };
  for (size_t i = 0; i < outputs.size(); ++i) {
    const auto& [option, file] = outputs[i];
    CheckWritable(file);
    for (const auto& [input, name] : inputs)
      if (!name.empty() && SameFile(file, name)) refuse(file, input, option);
    const bool world = option == "--save-world" || option == "--checkpoint";
    if (!world && !o.LoadWorldFile.empty() && SameFile(file, o.LoadWorldFile)) refuse(file, "--load-world", option);
    if (option != "--save-timeline" && !timelineRead.empty() && SameFile(file, timelineRead))
      refuse(file, "the timeline read for --at", option);
    for (size_t j = 0; j < i; ++j) {
      const bool bothWorlds = world && (outputs[j].first == "--save-world" || outputs[j].first == "--checkpoint");
      if (!bothWorlds && SameFile(file, outputs[j].second)) refuse(file, outputs[j].first, option);
    }
  }
  if (!o.SaveAnimalsFolder.empty()) CheckWritableFolder(o.SaveAnimalsFolder);
}

int RunWorld(const TRunnerOptions& o, std::ostream& out, std::ostream& err) {
  try {
    const bool loading = !o.LoadWorldFile.empty();
    if (loading && o.Seed)
      err << "vivarion-cli: note: --seed is not used: the generator's state comes from the world file\n";
    TSimulation sim;
    CheckRunOutputs(o, [](const std::string& name) { return name; });
    if (o.Threads > 0) SetWorkerThreads(o.Threads);
    sim.StartUp(RunSettingsFile(o, err, "vivarion-cli"), loading ? std::nullopt : o.Seed);
    if (const std::string note = UnknownKeysNote(sim.Rules()); !note.empty()) err << "vivarion-cli: " << note << '\n';
    sim.SetPasses(o.Passes);
    sim.CreatureLimit = o.MaxCreatures;
    sim.SetPersistence(o.Persistence);
    std::optional<TTimeline> timeline = RunTimeline(o);
    if (loading) {
      sim.LoadWorld(o.LoadWorldFile);
      TravelLoadedWorld(o, sim, timeline, err);
    } else {
      sim.Populate(o.Width, o.Height, o.AnimalFiles, ReadPopulation(o.PopulationFile));
      WarnOfAnimalFiles(o.AnimalFiles, err, "vivarion-cli");
      if (timeline) timeline->Note(sim);
    }

    // Rows go to their files as they are made, so that tail -f follows a long run.
    // A resumed world's rows go on after the rows its run wrote up to the world's step.
    const int64_t resumedAt = loading ? sim.StepCount() : -1;
    const std::pair<std::string, std::string> rowFiles[] = {
        {o.CsvFile, FiguresHeader}, {o.StatsFile, StatsHeader}, {o.EvolutionFile, EvolutionHeader}};
    for (const auto& [file, header] : rowFiles)
      if (const std::string missing = TRowFile::MissingRows(file, header, resumedAt, o.Report); !missing.empty())
        err << "vivarion-cli: warning: " << missing << '\n';
    TRowFile csv(o.CsvFile, FiguresHeader, resumedAt);
    TRowFile stats(o.StatsFile, StatsHeader, resumedAt);
    TRowFile evolution(o.EvolutionFile, EvolutionHeader, resumedAt);
    // Step numbers count from the world's start, so a resumed run reports at the same steps.
    const int64_t first = sim.StepCount();
    const int64_t last = RunLastStep(o, sim.StepCount());
    TProgressLine progress(err, o.Progress, first, last);
    TRunGraphs plot;  // about 1,000 points over the run, for --plot
    const int64_t plotEvery = std::max<int64_t>(1, (last - first) / 1000);
    TRunDriver driver(sim, TRunPlan{o.Report, o.CheckpointEvery, o.CheckpointFile, o.Check});
    auto report = [&](const TRunReport& r) {
      progress.Clear();
      csv.Write(r.FiguresRow() + '\n');
      stats.Write(r.StatsRow() + '\n');
      evolution.Write(r.EvolutionRow() + '\n');
      out << StatusLine(r.Step, r.Figures);
      if (o.Hash) out << " hash=" << HashText(sim.Hash());
      out << std::endl;  // flushed: a pipe sees each line as it comes
    };
    if (!o.PlotFile.empty()) plot.Sample(sim.Population(), sim.StepCount());
    TRunFilm film(o, o.FilmFile);
    film.Shoot(sim.Population(), sim.StepCount(), true);
    driver.RunTo(
        last,
        [&] {
          if (timeline) timeline->Note(sim);
          film.Shoot(sim.Population(), sim.StepCount());
          if (!o.PlotFile.empty() && ((sim.StepCount() - first) % plotEvery == 0 || sim.StepCount() == last))
            plot.Sample(sim.Population(), sim.StepCount());
          progress.Update(sim.StepCount());
        },
        report, true);
    progress.Clear();
    out.flush();
    if (const std::string filmed = film.Finish(); !filmed.empty()) err << "vivarion-cli: film " << filmed << '\n';

    const TWorld& world = sim.Population();
    WriteRunOutputs(sim, TRunOutputs{o.SpeciesCsvFile, o.PhylogenyFile, o.TaxaCsvFile, o.TaxaTreeFile,
                                     o.SaveAnimalsFolder, o.SaveWorldFile});
    if (o.SaveTimeline) SaveTimeline(TimelineFileFor(o.SaveWorldFile), *timeline, sim);
    if (!o.PngFile.empty()) {
      WriteRunPng(o, world, sim.StepCount(), o.PngFile);
    }
    if (!o.PlotFile.empty()) {
#ifdef VIVARION_WITH_VIEW
      WriteRunChartsPng(plot.Samples, o.PlotFile);
#else
      throw EVivarion("this runner was built without pictures; --plot is not available");
#endif
    }
    return 0;
  } catch (const ERunUsage& e) {
    err << "vivarion-cli: " << e.what() << "\nsee 'vivarion-cli --help'\n";
    return 2;
  } catch (const std::exception& e) {
    err << "vivarion-cli: " << e.what() << '\n';
    return 1;
  }
}

}  // namespace viv
