// The timeline's cost to a running world (the shipped world at step 500,000, stepped with a
// keyframe every spacing steps, against none) and the time to go back to a step.
#include <benchmark/benchmark.h>

#include <string>

#include "config/thread_pool.h"
#include "sim/keyframe_pack.h"
#include "sim/simulation.h"
#include "sim/timeline.h"
#include "support/inside.h"

namespace viv {
namespace {

TSimulation& ShippedWorld500k(TSimulation& sim) {
  sim.LoadWorld(std::string(VIV_BENCH_DIR) + "/seed3-500k.vivw");
  sim.SetRules(sim.FileSettings());
  return sim;
}

// Steps noted by a timeline of the spacing (0: no timeline), one thread.
void BM_TimelineCost(benchmark::State& state) {
  SetWorkerThreads(1);
  TSimulation sim;
  ShippedWorld500k(sim);
  TTimeline timeline(state.range(0) > 0 ? state.range(0) : 1);
  if (state.range(0) > 0) timeline.Note(sim);
  for (auto _ : state) {
    sim.Step();
    if (state.range(0) > 0) timeline.Note(sim);
  }
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["keyframe KB"] =
      timeline.Keyframes().size() > 1 ? static_cast<double>(timeline.Bytes()) / timeline.Keyframes().size() / 1024 : 0;
  WorldOf(sim).Clear();
  SetWorkerThreads(0);
}
BENCHMARK(BM_TimelineCost)
    ->ArgNames({"spacing"})
    ->Arg(0)
    ->Arg(1000)
    ->Arg(100)
    ->Iterations(10000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// One keyframe of that world: its body made and packed against the body of 1,000 steps before
// (as the timeline packs most of them), or whole. Its cost over 1,000 steps is the timeline's
// share of the run at the default spacing, without the noise of timing whole runs.
void BM_Keyframe(benchmark::State& state) {
  SetWorkerThreads(1);
  TSimulation sim;
  ShippedWorld500k(sim);
  const std::string anchor = sim.WorldBody();
  for (int k = 0; k < 1000; ++k) sim.Step();
  size_t packed = 0;
  for (auto _ : state) packed = PackKeyframe(sim.WorldBody(), state.range(0) != 0 ? anchor : std::string()).size();
  state.counters["packed KB"] = static_cast<double>(packed) / 1024;
  state.counters["body KB"] = static_cast<double>(sim.WorldBody().size()) / 1024;
  WorldOf(sim).Clear();
  SetWorkerThreads(0);
}
BENCHMARK(BM_Keyframe)->ArgNames({"delta"})->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Going back to a step that lies replay steps after its keyframe, 10,000 steps into a timeline
// of the default spacing (unpacking the keyframe and stepping on).
void BM_TimelineRewind(benchmark::State& state) {
  SetWorkerThreads(1);
  TSimulation sim;
  ShippedWorld500k(sim);
  TTimeline timeline;
  timeline.Note(sim);
  for (int k = 0; k < 10000; ++k) {
    sim.Step();
    timeline.Note(sim);
  }
  const int64_t target = sim.StepCount() - 5000 + state.range(0);
  for (auto _ : state) timeline.Rewind(sim, target);
  WorldOf(sim).Clear();
  SetWorkerThreads(0);
}
BENCHMARK(BM_TimelineRewind)
    ->ArgNames({"replay"})
    ->Arg(0)
    ->Arg(500)
    ->Arg(999)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace viv
