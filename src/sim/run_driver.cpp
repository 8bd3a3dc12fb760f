#include "sim/run_driver.h"

#include "config/files.h"
#include "history/report_rows.h"
#include "world/species_files.h"
#include "world/world_check.h"

namespace viv {

std::string TRunReport::FiguresRow() const { return viv::FiguresRow(Step, Figures); }
std::string TRunReport::StatsRow() const { return FiguresRow() + StatsColumns(Species); }
std::string TRunReport::EvolutionRow() const { return viv::EvolutionRow(Step, Evolution); }

void TRunDriver::Step() {
  sim_.Step();
  if (plan_.Check) CheckWorld(sim_.Population(), sim_.StepCount());
}

bool TRunDriver::ReportDue() const { return plan_.Report > 0 && sim_.StepCount() % plan_.Report == 0; }

bool TRunDriver::CheckpointDue() const {
  return plan_.CheckpointEvery > 0 && sim_.StepCount() % plan_.CheckpointEvery == 0;
}

TRunReport TakeRunReport(TSimulation& sim, bool restart) {
  TRunReport r;
  r.Step = sim.StepCount();
  r.Figures = sim.Figures();
  r.Species = sim.SpeciesReport(restart);
  r.Evolution = sim.EvolutionReport(restart);
  return r;
}

void TRunDriver::RunTo(int64_t last, const std::function<void()>& afterStep,
                       const std::function<void(const TRunReport&)>& onReport, bool closing) {
  while (sim_.StepCount() < last) {
    Step();
    if (ReportDue()) onReport(TakeRunReport(sim_, true));
    if (afterStep) afterStep();
    if (CheckpointDue()) sim_.SaveWorld(plan_.CheckpointFile);
  }
  if (closing && !ReportDue()) onReport(TakeRunReport(sim_, false));
}

void WriteRunOutputs(const TSimulation& sim, const TRunOutputs& files) {
  if (!files.SpeciesCsv.empty()) WriteFileAtomically(files.SpeciesCsv, sim.History().SpeciesCsv(), false);
  if (!files.Phylogeny.empty()) WriteFileAtomically(files.Phylogeny, sim.History().Newick(), false);
  if (!files.TaxaCsv.empty()) WriteFileAtomically(files.TaxaCsv, sim.Taxa().TaxaCsv(), false);
  if (!files.TaxaTree.empty()) WriteFileAtomically(files.TaxaTree, sim.Taxa().Newick(), false);
  if (!files.SpeciesFolder.empty()) SaveSpeciesFiles(sim.Population(), files.SpeciesFolder);
  if (!files.World.empty()) sim.SaveWorld(files.World);
}

}  // namespace viv
