#include "history/run_samples.h"

#include "history/species_history.h"
#include "world/world_figures.h"

namespace viv {

void TRunGraphs::Sample(const TCreatureList& world, int64_t step) {
  if (!Samples.empty() && Samples.back().Step == step) return;
  const TWorldFigures f = CountWorld(world);
  Samples.push_back({step, f.Animals, f.Plants, f.Species, f.Biomass, SpeciesDiversity(world)});
  if (Samples.size() > MaxSamples) Samples = EveryOther(Samples);
}

}  // namespace viv
