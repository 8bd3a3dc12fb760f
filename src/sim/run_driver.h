#pragma once
// A run of a world as the programs take it: steps to a last step, a report at every multiple of
// an interval (counted from the world's start, so that a resumed run reports at the same steps),
// checkpoints, the invariant check after each step, and the files written at the end. The
// runner, the islands and the Python module drive their worlds through it.
#include <cstdint>
#include <functional>
#include <string>

#include "history/species_history.h"
#include "history/taxa.h"
#include "sim/simulation.h"
#include "world/world_figures.h"

namespace viv {

// One report: the world's figures and its species' and taxa's figures since the report before.
struct TRunReport {
  int64_t Step = 0;
  TWorldFigures Figures;
  TSpeciesStats Species;
  TEvolutionStats Evolution;
  // The rows of the runner's files, each without its line end: --csv, --stats, --evolution.
  std::string FiguresRow() const;
  std::string StatsRow() const;
  std::string EvolutionRow() const;
};

// A report of the world now; restart starts the counts since the last report again from here.
TRunReport TakeRunReport(TSimulation& sim, bool restart);

// What a run does besides stepping.
struct TRunPlan {
  int64_t Report = 0;           // a report at every multiple of it; 0 for none on the way
  int64_t CheckpointEvery = 0;  // the world saved to CheckpointFile at every multiple of it
  std::string CheckpointFile;
  bool Check = false;  // the world's invariants checked after every step
};

// The files written at the end of a run; an empty name writes nothing.
struct TRunOutputs {
  std::string SpeciesCsv, Phylogeny, TaxaCsv, TaxaTree, SpeciesFolder, World;
};

class TRunDriver {
 public:
  TRunDriver(TSimulation& sim, TRunPlan plan) : sim_(sim), plan_(std::move(plan)) {}

  // One step, checked when the plan asks.
  void Step();
  // Whether the world's step is one for a report, a checkpoint.
  bool ReportDue() const;
  bool CheckpointDue() const;
  // Steps to last. After each step: the report due (to onReport), then afterStep and the
  // checkpoint due, so that a keyframe or checkpoint taken there holds the counts the report
  // restarted, as a replay from it needs. A run whose last step is not a report's ends with a report that does not
  // restart the counts, when closing.
  void RunTo(int64_t last, const std::function<void()>& afterStep,
             const std::function<void(const TRunReport&)>& onReport, bool closing);

 private:
  TSimulation& sim_;
  TRunPlan plan_;
};

// The histories' files, the species as animal files and the world file, each atomically.
void WriteRunOutputs(const TSimulation& sim, const TRunOutputs& files);

}  // namespace viv
