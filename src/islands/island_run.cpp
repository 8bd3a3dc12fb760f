#include "islands/island_run.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <sstream>

#include "cli/report_rows.h"
#include "cli/row_file.h"
#include "cli/runner.h"
#include "config/data_files.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/random.h"
#include "config/thread_pool.h"
#include "islands/archipelago_files.h"
#include "islands/migration.h"
#include "sim/simulation.h"
#include "world/world_check.h"

namespace viv {

namespace {

// An island's own step of the run, caught: a failure is kept for the next meeting of the
// islands, and the island goes on counting steps with the others without stepping.
template <class F>
void Guarded(std::string& error, F&& f) {
  if (!error.empty()) return;
  try {
    f();
  } catch (const std::exception& e) {
    error = e.what();
  }
}

std::string LivingSpecies(const TCreatureList& world) {
  std::set<std::string> names;
  for (const TCreature* c : world.List)
    if (!c->Vegetable) names.insert(c->Name);
  std::string text;
  for (const std::string& n : names) text += n + '\n';
  return text;
}

}  // namespace

int RunIsland(const TIslandOptions& io, const TArchipelago& a, std::ostream& out, std::ostream& err) {
  const TRunnerOptions& o = io.Run;
  const int32_t me = a.Island;
  TSimulation sim;
  std::string error;
  // One seed for the archipelago: given, or the first island's from the clock.
  const uint64_t seed = a.FromFirst(o.Seed ? *o.Seed : (me == 0 ? SeedFromEnvironment() : 0));
  const bool loading = !o.LoadWorldFile.empty();
  std::string settingsNote;
  Guarded(error, [&] {
    CheckRunOutputs(o, [&](const std::string& name) { return name == o.StatsFile ? name : IslandFile(name, me); });
    std::ostringstream note;  // said once, by the first island
    const std::string settings = RunSettingsFile(o, note, "vivarion-islands");
    if (me == 0) err << note.str();
    if (o.Threads > 0) SetWorkerThreads(o.Threads);
    sim.StartUp(settings, loading ? std::nullopt : std::optional<uint64_t>(seed + static_cast<uint64_t>(me)));
    if (const std::string unknown = UnknownKeysNote(sim.Rules()); !unknown.empty() && me == 0)
      err << "vivarion-islands: " << unknown << '\n';
    sim.SetPasses(o.Passes);
    if (loading) {
      sim.LoadWorld(IslandWorldFile(o.LoadWorldFile, me, a.Islands));
      settingsNote = SettleLoadedSettings(o, sim);
    } else {
      sim.Populate(o.Width, o.Height, o.AnimalFiles, ReadPopulation(o.PopulationFile));
    }
  });
  if (!a.AllWell(error, err)) return 1;
  const std::vector<std::string> notes = a.Gather(settingsNote);
  for (size_t i = 0; i < notes.size(); ++i)
    if (!notes[i].empty()) err << "vivarion-islands: island " << i << ": " << notes[i] << '\n';
  int64_t earliest = 0, latest = 0;
  a.Range(sim.StepCount, earliest, latest);
  if (earliest != latest) {
    if (me == 0) err << "vivarion-islands: the islands' world files are at different steps (" << earliest << " to " << latest << ")\n";
    return 1;
  }

  std::unique_ptr<TRowFile> stats;
  if (me == 0) Guarded(error, [&] {
    std::string header = StatsHeader;
    header.pop_back();  // its line end
    stats = std::make_unique<TRowFile>(o.StatsFile, "island," + header + ",arrivals,departures\n");
  });
  if (!a.AllWell(error, err)) return 1;
  int64_t migrants = 0;  // that left this island in this run
  int64_t rounds = 0;
  std::chrono::steady_clock::duration migrationTime{};
  auto report = [&](int64_t step, bool restart) {
    std::string line, row;
    Guarded(error, [&] {
      const TWorldFigures f = sim.Figures();
      const TSpeciesStats s = sim.History.Report(sim.Population(), step, restart);
      line = "island=" + std::to_string(me) + ' ' + StatusLine(step, f);
      if (o.Hash) line += " hash=" + HashText(sim.Hash());
      row = std::to_string(me) + ',' + FiguresRow(step, f) + StatsColumns(s) + ',' + std::to_string(s.Arrivals) + ',' +
            std::to_string(s.Departures) + '\n';
    });
    const std::vector<std::string> lines = a.Gather(line), rows = a.Gather(row);
    if (me != 0) return;
    for (const std::string& l : lines) out << l << '\n';
    out.flush();
    Guarded(error, [&] {
      for (const std::string& r : rows) stats->Write(r);
    });
  };

  // A checkpoint: every island's file of the step, then the list that names the set, then the
  // older sets go. Killed at any moment, the list names a whole set.
  auto checkpoint = [&](int64_t at) {
    const std::string file = CheckpointIslandFile(o.CheckpointFile, me, at);
    Guarded(error, [&] { sim.SaveWorld(file); });
    const std::vector<std::string> files = a.Gather(file);
    if (!a.AllWell(error, err)) return false;
    if (me == 0) Guarded(error, [&] { WriteManifest(o.CheckpointFile, at, files); });
    if (!a.AllWell(error, err)) return false;
    Guarded(error, [&] { RemoveOtherCheckpoints(o.CheckpointFile, me, file); });
    return true;
  };

  int64_t step = sim.StepCount;  // counts on in step with the others if this island fails
  int64_t last = step;
  try {
    last = RunLastStep(o, step);  // the same at every island: their steps agree
  } catch (const std::exception& e) {
    if (me == 0) err << "vivarion-islands: " << e.what() << '\n';
    return dynamic_cast<const ERunUsage*>(&e) ? 2 : 1;
  }
  while (step < last) {
    Guarded(error, [&] {
      sim.Step();
      if (o.Check) CheckWorld(sim.Population(), sim.StepCount);
    });
    ++step;
    const bool migrate = io.MigrateEvery > 0 && step % io.MigrateEvery == 0;
    const bool reporting = o.Report > 0 && step % o.Report == 0;
    const bool checkpointing = o.CheckpointEvery > 0 && step % o.CheckpointEvery == 0;
    if (!migrate && !reporting && !checkpointing) continue;
    if (!a.AllWell(error, err)) return 1;
    if (migrate) {
      const auto start = std::chrono::steady_clock::now();
      std::string leaving;
      Guarded(error, [&] {
        int32_t taken = 0;
        leaving = TakeMigrants(sim, io.Migrants, taken);
        migrants += taken;
      });
      const std::string coming = a.PassOn(leaving);
      Guarded(error, [&] { sim.Admit(coming); });  // an island that failed sends nothing
      migrationTime += std::chrono::steady_clock::now() - start;
      ++rounds;
    }
    if (reporting) report(step, true);
    if (checkpointing && !checkpoint(step)) return 1;
  }
  if (!a.AllWell(error, err)) return 1;
  if (o.Report == 0 || step % o.Report != 0) report(step, false);

  // The archipelago as a whole: every island's figures summed, species counted once.
  Guarded(error, [&] {
    if (!o.SaveWorldFile.empty()) sim.SaveWorld(IslandFile(o.SaveWorldFile, me));
    if (!o.SpeciesCsvFile.empty()) WriteFileAtomically(IslandFile(o.SpeciesCsvFile, me), sim.History.SpeciesCsv(), false);
    if (!o.PhylogenyFile.empty()) WriteFileAtomically(IslandFile(o.PhylogenyFile, me), sim.History.Newick(), false);
  });
  if (!o.SaveWorldFile.empty()) {
    const std::vector<std::string> files = a.Gather(IslandFile(o.SaveWorldFile, me));
    if (!a.AllWell(error, err)) return 1;
    if (me == 0) Guarded(error, [&] { WriteManifest(o.SaveWorldFile, step, files); });
  }
  const TWorldFigures f = sim.Figures();
  const std::vector<std::string> figures = a.Gather(std::to_string(f.Animals) + ' ' + std::to_string(f.Plants) + ' ' +
                                                    std::to_string(f.Biomass) + ' ' + std::to_string(migrants));
  const std::vector<std::string> species = a.Gather(LivingSpecies(sim.Population()));
  if (!a.AllWell(error, err)) return 1;
  if (me == 0) {
    int64_t animals = 0, plants = 0, biomass = 0, moved = 0;
    for (const std::string& text : figures) {
      std::istringstream in(text);
      int64_t x = 0, y = 0, z = 0, m = 0;
      in >> x >> y >> z >> m;
      animals += x, plants += y, biomass += z, moved += m;
    }
    std::set<std::string> names;
    for (const std::string& text : species) {
      std::istringstream in(text);
      for (std::string name; std::getline(in, name);) names.insert(name);
    }
    out << "archipelago islands=" << a.Islands << " step=" << step << " creatures=" << animals << " food=" << plants
        << " biomass=" << biomass << " species=" << names.size() << std::endl;
    // Counted by this process: a resumed archipelago counts from its resumption.
    if (io.MigrateEvery > 0 && rounds > 0)
      err << "vivarion-islands: " << moved << " migrants moved in this run, in " << rounds << " rounds of "
          << std::chrono::duration<double, std::micro>(migrationTime).count() / static_cast<double>(rounds)
          << " microseconds each (at island 0)\n";
  }
  return 0;
}

}  // namespace viv
