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

// Samples kept a point per interval of steps: the first sample in each interval of Every steps,
// and the newest. When they pass most, Every doubles and the samples are thinned to it, so that
// a run of any length is drawn evenly, and a run gone back and on again keeps what it recorded
// before (new samples never thin the old ones more than the interval asks).
template <class Sample>
class TStepSamples {
 public:
  std::vector<Sample> Samples;
  int64_t Every = 1;

  // After Samples gained its newest sample: whether any were dropped.
  bool Thin(size_t most) {
    bool dropped = false;
    const size_t n = Samples.size();
    // The sample before the newest was kept only as the newest, if it shares its interval.
    if (n >= 3 && Interval(Samples[n - 2]) == Interval(Samples[n - 3])) {
      Samples.erase(Samples.end() - 2);
      dropped = true;
    }
    while (Samples.size() > most && Samples.size() > 2) {
      Every *= 2;
      std::vector<Sample> kept{Samples.front()};
      for (size_t k = 1; k + 1 < Samples.size(); ++k)
        if (Interval(Samples[k]) != Interval(kept.back())) kept.push_back(Samples[k]);
      kept.push_back(Samples.back());
      Samples = std::move(kept);
      dropped = true;
    }
    return dropped;
  }
  // A world gone back has not yet lived what came after step.
  void DropAfter(int64_t step) {
    std::erase_if(Samples, [&](const Sample& s) { return s.Step > step; });
  }

 private:
  int64_t Interval(const Sample& s) const { return s.Step >= 0 ? s.Step / Every : -1; }
};

struct TRunSample {
  int64_t Step = 0;
  int32_t Animals = 0, Plants = 0, Species = 0;
  int64_t Biomass = 0;
  double Diversity = 0;
  // The same of the animals grouped by taxon instead of species name.
  int32_t Taxa = 0;
  double TaxonDiversity = 0;
};

class TRunGraphs : public TStepSamples<TRunSample> {
 public:
  static constexpr size_t MaxSamples = 2000;

  // Adds the world's figures at step, kept a point per interval of steps (the first sample and
  // the newest always), at most MaxSamples.
  void Sample(const TCreatureList& world, int64_t step);
};

}  // namespace viv
