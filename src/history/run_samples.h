#pragma once
// The figures of a run over time, for the observatory's graphs and the runner's plot, thinned
// so that a run of millions of steps keeps at most a few thousand points.
#include <cstdint>
#include <vector>

#include "world/creature_list.h"

namespace viv {

// The first item, every other one after it, and the last: half the points, covering the
// same span evenly (for any list with size, [] and push_back).
template <class List>
List EveryOther(const List& items) {
  List kept;
  const auto n = items.size();
  for (decltype(items.size()) i = 0; i < n; ++i)
    if (i % 2 == 0 || i + 1 == n) kept.push_back(items[i]);
  return kept;
}

struct TRunSample {
  int64_t Step = 0;
  int32_t Animals = 0, Plants = 0, Species = 0;
  int64_t Biomass = 0;
  double Diversity = 0;
  // The same of the animals grouped by taxon instead of species name.
  int32_t Taxa = 0;
  double TaxonDiversity = 0;
};

class TRunGraphs {
 public:
  static constexpr size_t MaxSamples = 2000;
  std::vector<TRunSample> Samples;

  // Adds the world's figures at step; when the samples pass MaxSamples, every other one goes
  // (the first and the newest stay), so the whole run stays evenly covered.
  void Sample(const TCreatureList& world, int64_t step);
};

}  // namespace viv
