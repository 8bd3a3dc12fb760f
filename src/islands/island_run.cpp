#include "islands/island_run.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <sstream>

#include "cli/run_film.h"
#include "cli/runner.h"
#include "config/data_files.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/random.h"
#include "config/thread_pool.h"
#include "history/report_rows.h"
#include "islands/archipelago_files.h"
#include "islands/migration.h"
#include "sim/row_file.h"
#include "sim/run_driver.h"
#include "sim/simulation.h"

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

std::string LivingSpecies(const TWorld& world) {
  std::set<std::string> names;
  for (const TCreature* c : world.List)
    if (!c->Vegetable) names.insert(c->Name);
  std::string text;
  for (const std::string& n : names) text += n + '\n';
  return text;
}

// One island of this process: its world, and the failure it keeps until the next meeting.
struct TIsland {
  TIsland(int32_t number, bool check) : Number(number), Driver(Sim, TRunPlan{0, 0, "", check}) {}
  int32_t Number = 0;
  TSimulation Sim;
  // Steps the island with the invariant check; reports and checkpoints are the archipelago's,
  // taken at the same steps on every island.
  TRunDriver Driver;
  std::string Error;
  std::unique_ptr<TRunFilm> Film;  // with --film, one per island
};

}  // namespace

int RunIsland(const TIslandOptions& io, const TArchipelago& a, std::ostream& out, std::ostream& err) {
  const TRunnerOptions& o = io.Run;
  const bool first = a.Rank == 0;  // the process of island 0, which writes what is shared
  std::vector<std::unique_ptr<TIsland>> islands;
  for (int32_t k = 0; k < a.IslandsPerRank; ++k) {
    islands.push_back(std::make_unique<TIsland>(a.FirstIsland() + k, o.Check));
  }
  // The same call for every island of this process, each guarded on its own.
  auto each = [&](auto&& f) {
    for (auto& island : islands) Guarded(island->Error, [&] { f(*island); });
  };
  auto errors = [&] {
    std::vector<std::string> e;
    for (auto& island : islands) e.push_back(island->Error);
    return e;
  };
  auto gather = [&](auto&& text) {
    std::vector<std::string> texts;
    for (auto& island : islands) texts.push_back(text(*island));
    return a.Gather(texts);
  };
  // One seed for the archipelago: given, or the first island's from the clock.
  const uint64_t seed = a.FromFirst(o.Seed ? *o.Seed : (first ? SeedFromEnvironment() : 0));
  const bool loading = !o.LoadWorldFile.empty();
  if (o.Threads > 0) SetWorkerThreads(o.Threads);  // one pool for the islands of the process
  std::vector<std::string> settingsNotes(islands.size());
  each([&](TIsland& island) {
    const int32_t me = island.Number;
    CheckRunOutputs(o, [&](const std::string& name) {
      return name == o.StatsFile || name == o.EvolutionFile ? name : IslandFile(name, me);
    });
    std::ostringstream note;  // said once, by the first island
    const std::string settings = RunSettingsFile(o, note, "vivarion-islands");
    if (me == 0) err << note.str();
    TSimulation& sim = island.Sim;
    sim.StartUp(settings, loading ? std::nullopt : std::optional<uint64_t>(seed + static_cast<uint64_t>(me)));
    if (const std::string unknown = UnknownKeysNote(sim.Rules()); !unknown.empty() && me == 0)
      err << "vivarion-islands: " << unknown << '\n';
    sim.SetPasses(o.Passes);
    sim.CreatureLimit = o.MaxCreatures;
    sim.SetPersistence(o.Persistence);
    if (loading) {
      sim.LoadWorld(IslandWorldFile(o.LoadWorldFile, me, a.Islands));
      settingsNotes[static_cast<size_t>(me - a.FirstIsland())] = SettleLoadedSettings(o, sim);
    } else {
      sim.Populate(o.Width, o.Height, o.AnimalFiles, ReadPopulation(o.PopulationFile));
    }
    if (!o.FilmFile.empty()) {
      island.Film = std::make_unique<TRunFilm>(o, IslandFile(o.FilmFile, me));
      island.Film->Shoot(sim.Population(), sim.StepCount(), true);
    }
  });
  if (!a.AllWell(errors(), err)) return 1;
  const std::vector<std::string> notes = a.Gather(settingsNotes);
  for (size_t i = 0; i < notes.size(); ++i)
    if (!notes[i].empty()) err << "vivarion-islands: island " << i << ": " << notes[i] << '\n';
  std::vector<int64_t> steps;
  for (auto& island : islands) steps.push_back(island->Sim.StepCount());
  int64_t earliest = 0, latest = 0;
  a.Range(steps, earliest, latest);
  if (earliest != latest) {
    if (first)
      err << "vivarion-islands: the islands' world files are at different steps (" << earliest << " to " << latest
          << ")\n";
    return 1;
  }

  std::unique_ptr<TRowFile> stats, evolution;
  if (first)
    Guarded(islands[0]->Error, [&] {
      std::string header = StatsHeader;
      header.pop_back();  // its line end
      // Resumed islands go on after the rows written up to their step (the second field).
      const int64_t resumedAt = loading ? latest : -1;
      stats = std::make_unique<TRowFile>(o.StatsFile, "island," + header + ",arrivals,departures\n", resumedAt, 1);
      evolution = std::make_unique<TRowFile>(o.EvolutionFile, std::string("island,") + EvolutionHeader, resumedAt, 1);
    });
  if (!a.AllWell(errors(), err)) return 1;
  int64_t migrants = 0;  // that left this process's islands in this run
  int64_t rounds = 0;
  std::chrono::steady_clock::duration migrationTime{};
  auto report = [&](int64_t step, bool restart) {
    std::vector<std::string> lines(islands.size()), rows(islands.size()), measures(islands.size());
    for (size_t k = 0; k < islands.size(); ++k) {
      TIsland& island = *islands[k];
      Guarded(island.Error, [&] {
        const TRunReport r = TakeRunReport(island.Sim, restart);
        const std::string number = std::to_string(island.Number);
        lines[k] = "island=" + number + ' ' + StatusLine(step, r.Figures);
        if (o.Hash) lines[k] += " hash=" + HashText(island.Sim.Hash());
        rows[k] = number + ',' + r.StatsRow() + ',' + std::to_string(r.Species.Arrivals) + ',' +
                  std::to_string(r.Species.Departures) + '\n';
        measures[k] = number + ',' + r.EvolutionRow() + '\n';
      });
    }
    const std::vector<std::string> allLines = a.Gather(lines), allRows = a.Gather(rows),
                                   allMeasures = a.Gather(measures);
    if (!first) return;
    for (const std::string& l : allLines) out << l << '\n';
    out.flush();
    Guarded(islands[0]->Error, [&] {
      for (const std::string& r : allRows) stats->Write(r);
      for (const std::string& r : allMeasures) evolution->Write(r);
    });
  };

  // A checkpoint: every island's file of the step, then the list that names the set, then the
  // older sets go. Killed at any moment, the list names a whole set.
  auto checkpoint = [&](int64_t at) {
    auto fileOf = [&](const TIsland& island) { return CheckpointIslandFile(o.CheckpointFile, island.Number, at); };
    each([&](TIsland& island) { island.Sim.SaveWorld(fileOf(island)); });
    const std::vector<std::string> files = gather(fileOf);
    if (!a.AllWell(errors(), err)) return false;
    if (first) Guarded(islands[0]->Error, [&] { WriteManifest(o.CheckpointFile, at, files); });
    if (!a.AllWell(errors(), err)) return false;
    each([&](TIsland& island) { RemoveOtherCheckpoints(o.CheckpointFile, island.Number, fileOf(island)); });
    return true;
  };

  int64_t step = earliest;  // counts on in step with the others if an island fails
  int64_t last = step;
  try {
    last = RunLastStep(o, step);  // the same at every island: their steps agree
  } catch (const std::exception& e) {
    if (first) err << "vivarion-islands: " << e.what() << '\n';
    return dynamic_cast<const ERunUsage*>(&e) ? 2 : 1;
  }
  while (step < last) {
    each([&](TIsland& island) {
      island.Driver.Step();
      if (island.Film) island.Film->Shoot(island.Sim.Population(), island.Sim.StepCount());
    });
    ++step;
    const bool migrate = io.MigrateEvery > 0 && step % io.MigrateEvery == 0;
    const bool reporting = o.Report > 0 && step % o.Report == 0;
    const bool checkpointing = o.CheckpointEvery > 0 && step % o.CheckpointEvery == 0;
    if (!migrate && !reporting && !checkpointing) continue;
    if (!a.AllWell(errors(), err)) return 1;
    if (migrate) {
      const auto start = std::chrono::steady_clock::now();
      std::vector<std::string> leaving(islands.size());
      for (size_t k = 0; k < islands.size(); ++k)
        Guarded(islands[k]->Error, [&] {
          int32_t taken = 0;
          leaving[k] = TakeMigrants(islands[k]->Sim, io.Migrants, taken);
          migrants += taken;
        });
      const std::vector<std::string> coming = a.PassOn(leaving);
      // An island that failed sends nothing.
      for (size_t k = 0; k < islands.size(); ++k) Guarded(islands[k]->Error, [&] { islands[k]->Sim.Admit(coming[k]); });
      migrationTime += std::chrono::steady_clock::now() - start;
      ++rounds;
    }
    if (reporting) report(step, true);
    if (checkpointing && !checkpoint(step)) return 1;
  }
  if (!a.AllWell(errors(), err)) return 1;
  if (o.Report == 0 || step % o.Report != 0) report(step, false);

  // The archipelago as a whole: every island's figures summed, species counted once.
  each([&](TIsland& island) {
    const int32_t me = island.Number;
    auto name = [&](const std::string& file) { return file.empty() ? file : IslandFile(file, me); };
    WriteRunOutputs(island.Sim, TRunOutputs{name(o.SpeciesCsvFile), name(o.PhylogenyFile), name(o.TaxaCsvFile),
                                            name(o.TaxaTreeFile), "", name(o.SaveWorldFile)});
  });
  each([&](TIsland& island) {
    if (island.Film) island.Film->Finish();
  });
  if (!o.SaveWorldFile.empty()) {
    const std::vector<std::string> files =
        gather([&](const TIsland& island) { return IslandFile(o.SaveWorldFile, island.Number); });
    if (!a.AllWell(errors(), err)) return 1;
    if (first) Guarded(islands[0]->Error, [&] { WriteManifest(o.SaveWorldFile, step, files); });
  }
  const std::vector<std::string> figures = gather([&](const TIsland& island) {
    const TWorldFigures f = island.Sim.Figures();
    const int64_t moved = island.Number == a.FirstIsland() ? migrants : 0;  // the process's count, once
    return std::to_string(f.Animals) + ' ' + std::to_string(f.Plants) + ' ' + std::to_string(f.Biomass) + ' ' +
           std::to_string(moved);
  });
  const std::vector<std::string> species =
      gather([&](const TIsland& island) { return LivingSpecies(island.Sim.Population()); });
  if (!a.AllWell(errors(), err)) return 1;
  if (first) {
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
          << " microseconds each (in island 0's process)\n";
  }
  return 0;
}

}  // namespace viv
