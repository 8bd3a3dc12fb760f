#include "history/evolution_samples.h"

#include <algorithm>

namespace viv {

void TEvolutionGraphs::Sample(int64_t step, const TEvolutionStats& report, const TTaxonHistory& taxa) {
  if (!Wants(step)) return;
  Samples.push_back({step, report});
  for (double a : taxa.ActiveActivities()) Waves.push_back({step, a, false});
  for (double a : taxa.ShadowActiveActivities()) Waves.push_back({step, a, true});
  if (!Thin(MaxSamples)) return;
  std::vector<int64_t> kept;
  for (const TEvolutionSample& s : Samples) kept.push_back(s.Step);
  std::erase_if(Waves, [&](const TWavePoint& w) { return !std::binary_search(kept.begin(), kept.end(), w.Step); });
}

void TEvolutionGraphs::DropAfter(int64_t step) {
  TStepSamples::DropAfter(step);
  std::erase_if(Waves, [&](const TWavePoint& w) { return w.Step > step; });
}

}  // namespace viv
