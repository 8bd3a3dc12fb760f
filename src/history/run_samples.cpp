#include "history/run_samples.h"

#include <cmath>
#include <map>

#include "history/species_history.h"
#include "world/world_figures.h"

namespace viv {

void TRunGraphs::Sample(const TCreatureList& world, int64_t step) {
  if (!Samples.empty() && Samples.back().Step == step) return;
  const TWorldFigures f = CountWorld(world);
  Samples.push_back({step, f.Animals, f.Plants, f.Species, f.Biomass, SpeciesDiversity(world)});
  // Taxa are told apart by id: the animals of one taxon share it.
  std::map<uint64_t, int64_t> taxa;
  for (const TCreature* c : world.List)
    if (!c->Vegetable) ++taxa[c->Taxon];
  double diversity = 0;
  for (const auto& [taxon, n] : taxa) {
    const double p = static_cast<double>(n) / f.Animals;
    diversity -= p * std::log(p);
  }
  Samples.back().Taxa = static_cast<int32_t>(taxa.size());
  Samples.back().TaxonDiversity = diversity;
  Thin(MaxSamples);
}

}  // namespace viv
