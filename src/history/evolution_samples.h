#pragma once
// The measures of evolution over a run, for the observatory's Evolution tab: one sample a
// report, with the points of the activity waves (each active taxon's cumulative activity, and
// the shadow's), thinned so that a run of millions of steps keeps at most a few thousand.
#include <cstdint>
#include <vector>

#include "history/run_samples.h"
#include "history/taxa.h"

namespace viv {

struct TEvolutionSample {
  int64_t Step = 0;
  TEvolutionStats Stats;
};

struct TWavePoint {
  int64_t Step = 0;
  double Activity = 0;
  bool Shadow = false;
};

class TEvolutionGraphs : public TStepSamples<TEvolutionSample> {
 public:
  static constexpr size_t MaxSamples = 2000;
  std::vector<TWavePoint> Waves;

  // Whether a sample at step would be new (steps only go forward).
  bool Wants(int64_t step) const { return Samples.empty() || Samples.back().Step < step; }
  // A sample of a report of the taxa at step (taken as the runner's reports are, restarting
  // their counts) and of their activities, kept a point per interval of steps as the run's
  // figures are, at most MaxSamples; a sample's wave points go with it.
  void Sample(int64_t step, const TEvolutionStats& report, const TTaxonHistory& taxa);
  // The samples and wave points up to step.
  void DropAfter(int64_t step);
};

}  // namespace viv
