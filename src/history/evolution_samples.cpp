#include "history/evolution_samples.h"

#include <algorithm>

#include "history/run_samples.h"

namespace viv {

void TEvolutionGraphs::Sample(TTaxonHistory& taxa, int64_t step) {
  if (!Samples.empty() && Samples.back().Step >= step) return;
  Samples.push_back({step, taxa.Report(step)});
  for (double a : taxa.ActiveActivities()) Waves.push_back({step, a, false});
  for (double a : taxa.ShadowActiveActivities()) Waves.push_back({step, a, true});
  if (Samples.size() <= MaxSamples) return;
  Samples = EveryOther(Samples);
  std::vector<int64_t> kept;
  for (const TEvolutionSample& s : Samples) kept.push_back(s.Step);
  std::erase_if(Waves, [&](const TWavePoint& w) { return !std::binary_search(kept.begin(), kept.end(), w.Step); });
}

}  // namespace viv
