#pragma once
// The tests' and benchmarks' way into a simulation: they build worlds by hand, set a step
// count no run reaches and replay histories, which the programs never may.
#include "sim/simulation.h"

namespace viv {

struct TSimulationInside {
  static TWorld& World(TSimulation& s) { return s.world_; }
  static int64_t& StepCount(TSimulation& s) { return s.stepCount_; }
  static TSpeciesHistory& History(TSimulation& s) { return s.history_; }
  static TTaxonHistory& Taxa(TSimulation& s) { return s.taxa_; }
};

inline TWorld& WorldOf(TSimulation& s) { return TSimulationInside::World(s); }
inline const TWorld& WorldOf(const TSimulation& s) { return s.Population(); }
inline int64_t& StepCountOf(TSimulation& s) { return TSimulationInside::StepCount(s); }
inline TSpeciesHistory& HistoryOf(TSimulation& s) { return TSimulationInside::History(s); }
inline TTaxonHistory& TaxaOf(TSimulation& s) { return TSimulationInside::Taxa(s); }

}  // namespace viv
