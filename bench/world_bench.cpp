// Speed of the world step: whole steps on scattered worlds of 1,000 to 100,000 creatures,
// each pass on its own, the eye kernel against a tight vectorised loop, and mouth look-ups.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "config/random.h"
#include "config/settings.h"
#include "config/thread_pool.h"
#include "creature/grid.h"
#include "sim/simulation.h"
#include "support/inside.h"
#include "support/scenes.h"
#include "world/fast/light_kernel.h"
#include "world/fast/mouth_index.h"
#include "world/fast/organ_actions.h"
#include "world/world.h"

namespace viv {
namespace {

// A world of n creatures, a fifth of them animals, one per 100 x 100 units on average, under
// the shipped settings with room for them all.
void Build(TCreatureList& world, int64_t n) {
  UseShippedSettings(world);
  world.Context.Rules.MaxFood = static_cast<int32_t>(n);
  BuildScatteredWorld(world, static_cast<int32_t>(n), static_cast<float>(100 * std::sqrt(n)), 42);
}

int64_t CountEyes(const TCreatureList& world) {
  int64_t eyes = 0;
  for (const TCreature* c : world.List)
    for (const TPart* p : c->Parts.Items) eyes += p->Kind() == TPartKind::Eye;
  return eyes;
}

// Whole steps; n creatures, the plain passes or the fast ones, on this many worker threads.
// The rows run in rising size, so that each row's peak memory is that of its own world.
void BM_WorldStep(benchmark::State& state) {
  SetWorkerThreads(static_cast<int>(state.range(2)));
  TWorld world;
  Build(world, state.range(0));
  world.Passes = state.range(1) != 0 ? TPasses::Plain : TPasses::Fast;
  for (auto _ : state) world.WorldStep();
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["creatures"] = world.Count();
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
  world.Clear();
  SetWorkerThreads(0);
}
BENCHMARK(BM_WorldStep)
    ->ArgNames({"n", "plain", "threads"})
    ->Args({1000, 1, 1})
    ->Args({1000, 0, 1})
    ->Args({1000, 0, 2})
    ->Args({10000, 1, 1})
    ->Args({10000, 0, 1})
    ->Args({10000, 0, 2})
    ->Args({100000, 0, 1})
    ->Args({100000, 0, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// The plain step of 100,000 creatures takes about a minute: one step is enough.
BENCHMARK(BM_WorldStep)
    ->ArgNames({"n", "plain", "threads"})
    ->Args({100000, 1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A world spread far and thin: a scattered world of n creatures and two plants millions of
// units out on either side. The fast step must not fall behind the plain one here.
void BM_WorldStepSpread(benchmark::State& state) {
  TWorld world;
  Build(world, state.range(0));
  world.Context.Rules.Gravity = 0;  // else the far plants fall in at a speed that starves them at once
  for (float x : {9.9e6f, -9.9e6f}) {
    TCreature* plant = TCreature::CreateFood(world.Context);
    plant->X = x, plant->Y = x;
    world.Add(plant);
    world.Context.Grid.Add(plant, plant->X, plant->Y);
  }
  world.Passes = state.range(1) != 0 ? TPasses::Plain : TPasses::Fast;
  for (auto _ : state) world.WorldStep();
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["far_plants"] = static_cast<double>(
      std::count_if(world.List.begin(), world.List.end(), [](const TCreature* c) { return std::fabs(c->X) > 1e6f; }));
  world.Clear();
}
BENCHMARK(BM_WorldStepSpread)
    ->ArgNames({"n", "plain"})
    ->ArgsProduct({{2, 1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The passes of a step, each on its own.
void BM_Pass(benchmark::State& state) {
  TWorld world;
  Build(world, state.range(0));
  world.Passes = state.range(2) != 0 ? TPasses::Plain : TPasses::Fast;
  world.WorldStep();
  const int pass = static_cast<int>(state.range(1));
  float maxRadius = 0;
  for (auto _ : state) {
    switch (pass) {
      case 0: world.SenseAndAct(); break;
      case 1: maxRadius = world.StepAll(); break;
      case 2: world.DeathsAndBirths(); break;
      case 3: world.Collisions(maxRadius > 0 ? maxRadius : 40); break;
      case 4: world.Gravity(); break;
    }
  }
  world.Clear();
}
BENCHMARK(BM_Pass)
    ->ArgNames({"n", "pass", "plain"})
    ->ArgsProduct({{10000}, {0, 1, 2, 3, 4}, {0}})
    ->Args({10000, 0, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Eye-creature pairs per second: the fast pass's light gathering (all eyes, all threads).
void BM_GatherLightFast(benchmark::State& state) {
  TWorld world;
  Build(world, state.range(0));
  const int64_t pairs = CountEyes(world) * world.Count();
  const int64_t tested0 = world.PairsTested(), culled0 = world.PairsCulled();
  for (auto _ : state) world.GatherAllLight();
  state.counters["pairs/s"] =
      benchmark::Counter(static_cast<double>(pairs * state.iterations()), benchmark::Counter::kIsRate);
  const double seen = static_cast<double>(world.PairsTested() - tested0 + world.PairsCulled() - culled0);
  state.counters["culled"] = seen > 0 ? (world.PairsCulled() - culled0) / seen : 0;
  world.Clear();
}
BENCHMARK(BM_GatherLightFast)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same light, one eye at a time with the plain scalar test, on one thread.
void BM_GatherLightScalar(benchmark::State& state) {
  TWorld world;
  Build(world, state.range(0));
  TLightScene scene;
  scene.Resize(world.List.size());
  for (size_t j = 0; j < world.List.size(); ++j) {
    scene.X[j] = world.List[j]->X, scene.Y[j] = world.List[j]->Y;
    scene.Red[j] = world.List[j]->Color & 255, scene.Green[j] = (world.List[j]->Color >> 8) & 255;
    scene.Blue[j] = (world.List[j]->Color >> 16) & 255;
  }
  TLightBatch batch{};
  for (int l = 0; l < LightLanes; ++l) {
    batch.X[l] = world.List[l]->X, batch.Y[l] = world.List[l]->Y;
    batch.CosD[l] = std::cos(l * 0.8f), batch.SinD[l] = std::sin(l * 0.8f), batch.Viewer[l] = l;
  }
  for (auto _ : state) {
    GatherOneByOne(scene, EyeWidth, batch);
    benchmark::DoNotOptimize(batch);
  }
  state.counters["pairs/s"] = benchmark::Counter(static_cast<double>(LightLanes * scene.X.size() * state.iterations()),
                                                 benchmark::Counter::kIsRate);
  world.Clear();
}
BENCHMARK(BM_GatherLightScalar)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

typedef float v8f __attribute__((vector_size(32)));

// A tight vectorised loop over the same arrays: every pair in single precision, sums in any
// order, no culling. The yardstick for the eye kernel.
__attribute__((target_clones("avx512f", "avx2", "default"))) void TightLoop(const float* x, const float* y,
                                                                            const float* g, int64_t n, float ex,
                                                                            float ey, float c, float s, float out[3]) {
  v8f red = {}, green = {}, blue = {};
  for (int64_t j = 0; j + 8 <= n; j += 8) {
    v8f ox, oy, og;
    __builtin_memcpy(&ox, x + j, sizeof ox);
    __builtin_memcpy(&oy, y + j, sizeof oy);
    __builtin_memcpy(&og, g + j, sizeof og);
    const v8f dx = ox - ex, dy = oy - ey;
    const v8f d2 = dx * dx + dy * dy;
    v8f d;
    for (int l = 0; l < 8; ++l) d[l] = __builtin_sqrtf(d2[l]);
    const v8f ux = dx / d - c, uy = dy / d - s;
    const v8f w = 0.05f / d;
    const auto seen = (ux * ux + uy * uy < 0.2741557f);
    const v8f zero = {};
    red += seen ? og * w : zero;
    green += seen ? og * w : zero;
    blue += seen ? w : zero;
  }
  float r = 0, gg = 0, b = 0;
  for (int l = 0; l < 8; ++l) r += red[l], gg += green[l], b += blue[l];
  out[0] = r, out[1] = gg, out[2] = b;
}

void BM_GatherLightTightLoop(benchmark::State& state) {
  TWorld world;
  Build(world, state.range(0));
  const int64_t n = world.Count();
  std::vector<float> x(n), y(n), g(n);
  for (int64_t j = 0; j < n; ++j)
    x[j] = world.List[j]->X, y[j] = world.List[j]->Y, g[j] = (world.List[j]->Color >> 8) & 255;
  std::vector<float> ex, ey, ec, es;
  for (const TCreature* k : world.List)
    for (const TPart* p : k->Parts.Items)
      if (p->Kind() == TPartKind::Eye) {
        ex.push_back(k->X), ey.push_back(k->Y);
        ec.push_back(std::cos(p->Phi + k->Heading)), es.push_back(std::sin(p->Phi + k->Heading));
      }
  const int64_t eyes = static_cast<int64_t>(ex.size());
  std::vector<float> out(3 * eyes);
  for (auto _ : state) {
    WorkerPool().ParallelFor((eyes + 63) / 64, [&](int64_t b) {
      for (int64_t e = b * 64; e < std::min(eyes, b * 64 + 64); ++e)
        TightLoop(x.data(), y.data(), g.data(), n, ex[e], ey[e], ec[e], es[e], &out[3 * e]);
    });
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["pairs/s"] =
      benchmark::Counter(static_cast<double>(eyes * n * state.iterations()), benchmark::Counter::kIsRate);
  world.Clear();
}
BENCHMARK(BM_GatherLightTightLoop)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Finding the creature at a mouth's reach: the index against the walk of the list.
void BM_MouthLookup(benchmark::State& state) {
  TWorld world;
  Build(world, state.range(0));
  const bool indexed = state.range(1) != 0;
  TMouthIndex index;
  index.Build(world.List);
  TRandom& random = world.Context.Random;
  random.Seed(3);
  std::vector<std::pair<float, float>> points(1024);
  const float side = static_cast<float>(100 * std::sqrt(state.range(0)));
  for (auto& p : points)
    p = {static_cast<float>((random.Real() - 0.5) * side), static_cast<float>((random.Real() - 0.5) * side)};
  size_t k = 0;
  for (auto _ : state) {
    const auto& p = points[k++ & 1023];
    benchmark::DoNotOptimize(indexed ? index.CreatureAt(p.first, p.second) : world.CreatureAt(p.first, p.second));
  }
  state.counters["lookups/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  world.Clear();
}
BENCHMARK(BM_MouthLookup)->ArgNames({"n", "indexed"})->Args({10000, 0})->Args({10000, 1});

// Whole steps, one thread, under the shipped rules (open 0), with the README's formula edits
// and fresh ids (open 1: the cost of the rules themselves, on the same world) and with three
// light patches besides (open 2: a world that gathers on the patches, so more than the rules'
// cost).
void BM_OpenRules(benchmark::State& state) {
  SetWorkerThreads(1);
  TWorld world;
  Build(world, state.range(0));
  TSettings& s = world.Context.Rules;
  if (state.range(1) >= 1) s.FreshIds = 0.5, s.FormulaMutation = 0.05;
  if (state.range(1) >= 2) s.LightPatches = 3, s.PatchRadius = 200, s.PatchDistance = 350, s.PatchShade = 0.3;
  for (auto _ : state) world.WorldStep();
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  world.Clear();
  SetWorkerThreads(0);
}
BENCHMARK(BM_OpenRules)
    ->ArgNames({"n", "open"})
    ->ArgsProduct({{1000, 10000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The world step alone, and as the simulation makes it: with the events of the step read into
// the species history.
void BM_StepWithHistory(benchmark::State& state) {
  const bool history = state.range(1) != 0;
  TSimulation sim;
  Build(WorldOf(sim), state.range(0));
  HistoryOf(sim).Found(WorldOf(sim), 0);
  TaxaOf(sim).Found(WorldOf(sim), 0);
  for (auto _ : state) {
    if (history) sim.Step();
    else WorldOf(sim).WorldStep();
  }
  WorldOf(sim).Clear();
}
BENCHMARK(BM_StepWithHistory)
    ->ArgNames({"n", "history"})
    ->ArgsProduct({{1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The shipped world as users run it: seed 3 of the shipped settings and animals, kept in bench/
// at step 60,000 (about 85 animals and 215 plants) and 500,000, stepped with its history as
// the programs step it. A fixed number of steps, so that every run times the same steps.
void BM_ShippedWorld(benchmark::State& state) {
  static const char* const files[] = {"seed3-60k.vivw", "seed3-500k.vivw"};
  SetWorkerThreads(static_cast<int>(state.range(2)));
  TSimulation sim;
  sim.LoadWorld(std::string(VIV_BENCH_DIR) + "/" + files[state.range(0)]);
  sim.SetRules(sim.FileSettings());
  sim.SetPasses(state.range(1) != 0 ? TPasses::Plain : TPasses::Fast);
  for (auto _ : state) sim.Step();
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["creatures"] = WorldOf(sim).Count();
  WorldOf(sim).Clear();
  SetWorkerThreads(0);
}
BENCHMARK(BM_ShippedWorld)
    ->ArgNames({"file", "plain", "threads"})
    ->ArgsProduct({{0, 1}, {0}, {1, 2}})
    ->Args({0, 1, 1})
    ->Args({1, 1, 1})
    ->Iterations(5000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// World files of a stepped world: the whole save (compression included) and the whole load.
void BM_WorldFile(benchmark::State& state) {
  const bool load = state.range(1) != 0;
  TSimulation sim;
  UseShippedSettings(WorldOf(sim));
  BuildScatteredWorld(WorldOf(sim), static_cast<int32_t>(state.range(0)), 4000, 1);
  for (int i = 0; i < 10; ++i) sim.Step();
  const std::string file = "/tmp/vivarion-bench-world.vivw";
  sim.SaveWorld(file);
  for (auto _ : state) {
    if (load) sim.LoadWorld(file);
    else sim.SaveWorld(file);
  }
  state.counters["file bytes"] = static_cast<double>(std::filesystem::file_size(file));
  std::filesystem::remove(file);
}
BENCHMARK(BM_WorldFile)->ArgNames({"n", "load"})->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace viv

BENCHMARK_MAIN();
