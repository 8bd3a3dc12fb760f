#include "cli/runner.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "config/errors.h"
#include "config/files.h"
#include "config/random.h"
#include "config/settings.h"
#include "config/thread_pool.h"
#include "world/creature_list.h"
#include "world/grid.h"
#include "world/world_figures.h"
#ifdef VIVARION_WITH_VIEW
#include "view/frame_png.h"
#endif

namespace viv {

namespace {

std::string StatusLine(int64_t step, const TWorldFigures& f) {
  std::ostringstream s;
  s << "step=" << step << " creatures=" << f.Animals << " food=" << f.Plants << " biomass=" << f.Biomass
    << " species=" << f.Species;
  return s.str();
}

std::string CsvRow(int64_t step, const TWorldFigures& f) {
  std::ostringstream s;
  s << step << ',' << f.Animals << ',' << f.Plants << ',' << f.Biomass << ',' << f.Species << '\n';
  return s.str();
}

// Every creature finite, with finite organ outputs, and listed at most once, in the cell of
// its position; the grid lists no one else (so no dead creature and none in a wrong cell).
// A seeded creature may be missing: it joins the grid when its own step first changes its cell.
void CheckWorld(const TCreatureList& world, int64_t step) {
  size_t listedInOwnCells = 0;
  for (int32_t i = 0; i < world.Count(); ++i) {
    const TCreature* c = world.List[i];
    auto fail = [&](const char* what) {
      throw EVivarion("step " + std::to_string(step) + ": creature " + std::to_string(i) + " " + what);
    };
    if (!c->IsFinite() || !std::isfinite(c->Energy())) fail("is not finite");
    for (const TPart* p : c->Parts.Items)
      for (int32_t k = 0; k < p->OutputCount(); ++k)
        if (!std::isfinite(p->Output(k))) fail("has an organ whose output is not finite");
    auto [ci, cj] = CellOf(c->X, c->Y);
    const TGridCell& cell = GridCell(ci, cj);
    const auto listed = std::count(cell.begin(), cell.end(), c);
    if (listed > 1) fail("is listed twice in its grid cell");
    listedInOwnCells += static_cast<size_t>(listed);
  }
  if (GridEntryCount() != listedInOwnCells)
    throw EVivarion("step " + std::to_string(step) + ": the grid lists " +
                    std::to_string(GridEntryCount() - listedInOwnCells) +
                    " entries that are not a living creature in the cell of its position");
}

}  // namespace

int RunWorld(const TRunnerOptions& o, std::ostream& out, std::ostream& err) {
  try {
    Settings.Open(o.SettingsFile.empty() ? SettingsFileName() : o.SettingsFile);
    if (o.Seed) SeedRandom(*o.Seed);
    else SeedRandomFromEnvironment();
    GridReset();
    if (o.Threads > 0) SetWorkerThreads(o.Threads);

    TPopulationCounts counts;
    if (!o.PopulationFile.empty()) {
      if (!FileExists(o.PopulationFile)) throw EVivarion(o.PopulationFile + ": cannot open the population file");
      counts = ReadPopulationFile(o.PopulationFile);
    } else {
      counts = ReadPopulationFile(FindPopulationFile());
    }

    TCreatureList world;
    world.Passes = o.Passes;
    world.Populate(o.Width, o.Height, o.AnimalFiles, counts);

    std::string csv = "step,creatures,food,biomass,species\n";
    auto report = [&](int64_t step) {
      TWorldFigures f = CountWorld(world);
      out << StatusLine(step, f) << std::endl;  // flushed: a pipe sees each line as it comes
      csv += CsvRow(step, f);
    };
    for (int64_t step = 1; step <= o.Steps; ++step) {
      world.WorldStep();
      if (o.Check) CheckWorld(world, step);
      if (o.Report > 0 && step % o.Report == 0) report(step);
    }
    if (o.Report == 0 || o.Steps % o.Report != 0) report(o.Steps);
    out.flush();

    if (!o.CsvFile.empty()) WriteFileAtomically(o.CsvFile, csv, false);
    if (!o.SaveAnimalsFolder.empty()) world.SaveAnimals(o.SaveAnimalsFolder);
    if (!o.PngFile.empty()) {
#ifdef VIVARION_WITH_VIEW
      WriteFramePng(world, o.Width, o.Height, o.Steps, o.PngFile);
#else
      throw EVivarion("this runner was built without pictures; --png is not available");
#endif
    }
    return 0;
  } catch (const std::exception& e) {
    err << "vivarion-cli: " << e.what() << '\n';
    return 1;
  }
}

}  // namespace viv
