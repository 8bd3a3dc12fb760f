#pragma once
// The measures of evolution over a run, for the observatory's Evolution tab: one sample a
// report, with the points of the activity waves (each active taxon's cumulative activity, and
// the shadow's), thinned so that a run of millions of steps keeps at most a few thousand.
#include <cstdint>
#include <vector>

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

class TEvolutionGraphs {
 public:
  static constexpr size_t MaxSamples = 2000;
  std::vector<TEvolutionSample> Samples;
  std::vector<TWavePoint> Waves;

  // Whether a sample at step would be new (steps only go forward).
  bool Wants(int64_t step) const { return Samples.empty() || Samples.back().Step < step; }
  // A sample of a report of the taxa at step (taken as the runner's reports are, restarting
  // their counts) and of their activities; past MaxSamples every other sample goes, with its
  // wave points.
  void Sample(int64_t step, const TEvolutionStats& report, const TTaxonHistory& taxa);
};

}  // namespace viv
