// The timeline: a world rewound to any earlier step and run on again meets the original run's
// hash at every later step, with a timeline thinned to its budget too; bad steps are refused
// with the world kept.
#include <gtest/gtest.h>

#include "config/errors.h"
#include "config/thread_pool.h"
#include "sim/timeline.h"
#include "support/scenes.h"

namespace viv {
namespace {

// Steps the world to last, noting each step in the timeline; the hashes from its step on.
std::vector<uint64_t> RunNoting(TSimulation& sim, TTimeline& timeline, int64_t last) {
  timeline.Note(sim);
  std::vector<uint64_t> hashes{sim.Hash()};
  while (sim.StepCount() < last) {
    sim.Step();
    timeline.Note(sim);
    hashes.push_back(sim.Hash());
  }
  return hashes;
}

TEST(Timeline, ARewoundWorldRunsOnThroughTheSameStates) {
  for (int threads : {1, 2}) {
    SetWorkerThreads(threads);
    TSimulation sim;
    sim.StartUp(ShippedSettings(), 9);
    sim.Populate(800, 600, {}, {4, 300});
    TWorldEvent dim;
    dim.Kind = TEventKind::Set, dim.Step = 450, dim.Key = "SunLight", dim.To = 0.5;
    sim.SetEvents({dim});
    TTimeline timeline(100);
    const std::vector<uint64_t> hashes = RunNoting(sim, timeline, 1200);
    EXPECT_EQ(timeline.Keyframes().size(), 13u);
    for (int64_t to : {1199, 37, 450, 451, 0, 1000}) {
      timeline.Rewind(sim, to);
      ASSERT_EQ(sim.Hash(), hashes[to]) << "at " << to << ", threads " << threads;
      for (int64_t step = to + 1; step <= std::min<int64_t>(to + 300, 1200); ++step) {
        sim.Step();
        timeline.Note(sim);
        ASSERT_EQ(sim.Hash(), hashes[step]) << "from " << to << " at " << step << ", threads " << threads;
      }
    }
    // Beyond what the world has reached, or before the first keyframe: refused, the world kept.
    const uint64_t before = sim.Hash();
    EXPECT_THROW(timeline.Rewind(sim, 1201), EVivarion);
    EXPECT_THROW(timeline.Rewind(sim, -1), EVivarion);
    EXPECT_EQ(sim.Hash(), before);
  }
  SetWorkerThreads(0);
}

TEST(Timeline, AThinnedTimelineKeepsItsBudgetAndStillReachesEveryStep) {
  TSimulation sim;
  sim.StartUp(ShippedSettings(), 4);
  sim.Populate(800, 600, {}, {3, 300});
  TTimeline measure(50);
  measure.Note(sim);
  const uint64_t frame = measure.Bytes();
  TTimeline timeline(50, frame * 8);
  const std::vector<uint64_t> hashes = RunNoting(sim, timeline, 2000);
  EXPECT_LE(timeline.Bytes(), frame * 8 + frame / 2);
  const std::vector<int64_t> kept = timeline.Keyframes();
  EXPECT_EQ(kept.front(), 0) << "the timeline's beginning stays";
  EXPECT_EQ(kept.back(), 2000) << "the newest keyframe stays";
  EXPECT_LT(kept.size(), 12u);
  for (int64_t to : {3, 777, 1500, 1999}) {
    timeline.Rewind(sim, to);
    EXPECT_EQ(sim.Hash(), hashes[to]) << to;
  }
}

}  // namespace
}  // namespace viv
