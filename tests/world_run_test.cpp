// Long seeded runs: the invariants of the world hold after every step, and the fast
// passes give the same world as the plain ones, bit for bit.
#include <cmath>
#include <cstring>
#include <memory>

#include "config/thread_pool.h"
#include "creature/grid.h"
#include "parts/formula.h"
#include "support/scenes.h"
#include "test_support.h"
#include "world/fast/mouth_index.h"
#include "world/world.h"
#include "world/world_check.h"

namespace viv {
namespace {

using WorldRun = CleanWorld;

TEST_F(WorldRun, InvariantsHoldThroughAThousandsOfSteps) {
  TWorld world;
  UseShippedSettings(world);
  world.Populate(800, 600, {}, {3, 300});
  int maxAnimals = 0;
  for (int step = 1; step <= 3000; ++step) {
    world.WorldStep();
    ASSERT_NO_THROW(CheckWorld(world, step));
    int animals = 0;
    for (const TCreature* c : world.List) animals += !c->Vegetable;
    maxAnimals = std::max(maxAnimals, animals);
    if (HasFatalFailure()) FAIL() << "at step " << step;
  }
  EXPECT_GT(world.Count(), 100);
}

// Every field of every creature and organ, as bytes.
std::string Snapshot(const TCreatureList& world) {
  std::string s;
  auto put = [&](const void* p, size_t n) { s.append(static_cast<const char*>(p), n); };
  for (const TCreature* c : world.List) {
    for (float f : {c->Radius, c->Heading, c->VX, c->VY, c->X, c->Y, c->Spin, c->MaxEnergy, c->MutationRate})
      put(&f, sizeof f);
    put(&c->Color, sizeof c->Color);
    s += c->Name + '|' + (c->Vegetable ? 'v' : 'a');
    for (const TPart* p : c->Parts.Items) {
      s += p->Id;
      for (float f : {p->Phi, p->R, p->Size}) put(&f, sizeof f);
      for (const char* name : {"angle", "formula", "random", "constant"}) s += p->GetProperty(name);
      for (int k = 0; k < p->OutputCount(); ++k) {
        float o = p->Output(k);
        put(&o, sizeof o);
      }
    }
  }
  return s;
}

// The shipped rules, or those with the rules of open evolution set, all at high chances.
void UseRules(TCreatureList& world, bool open) {
  UseShippedSettings(world);
  if (!open) return;
  TSettings& s = world.Context.Rules;
  s.CopySkip = 0.5, s.FreshIds = 1, s.FormulaMutation = 1;
  s.PlantRooms = 0, s.MeatLoss = 0;  // the crowded world these animals rewire themselves in
  s.LightPatches = 3, s.PatchRadius = 150, s.PatchDistance = 300, s.SeasonLength = 500, s.SeasonDepth = 0.8;
}

std::string RunScattered(uint64_t seed, int32_t count, float side, int steps, bool plain, bool open = false,
                         void (*more)(TSettings&) = nullptr) {
  TWorld world;
  UseRules(world, open);
  if (more) more(world.Context.Rules);
  world.Passes = plain ? TPasses::Plain : TPasses::Fast;
  BuildScatteredWorld(world, count, side, seed);
  for (int step = 0; step < steps; ++step) {
    world.CurrentStep = step + 1;
    world.WorldStep();
  }
  return Snapshot(world);
}

TEST_F(WorldRun, FastAndPlainPassesGiveTheSameWorld) {
  struct Case {
    uint64_t seed;
    int32_t count;
    float side;
    int steps;
  } cases[] = {{1, 600, 3000, 300}, {2, 600, 600, 200}, {3, 2000, 20000, 30}, {4, 50, 200, 1000}, {5, 3000, 6000, 12}};
  for (const Case& c : cases) {
    const std::string plain = RunScattered(c.seed, c.count, c.side, c.steps, true);
    EXPECT_GT(plain.size(), 1000u);
    for (int threads : {1, 2, 3}) {
      SetWorkerThreads(threads);
      EXPECT_TRUE(RunScattered(c.seed, c.count, c.side, c.steps, false) == plain)
          << "seed " << c.seed << " with " << threads << " threads";
    }
  }
  SetWorkerThreads(0);
}

// Eyes that see their owners' food, a floor for each plant kind, the diet's shape, jumps between
// diets, plants that come to rest, bites of animals spared and a patch for each plant kind change
// nothing of that.
TEST_F(WorldRun, SightDietAndKindFloorGiveTheSameWorldOnEitherPass) {
  auto coexistence = [](TSettings& s) { s.PlantColors = 3, s.DietWidth = 0.25, s.SightDiet = 1.5, s.KindFloor = 30; };
  auto breadth = [](TSettings& s) {
    s.PlantColors = 3, s.DietWidth = 0.45, s.DietShape = 1, s.DietJump = 0.05, s.SightDiet = 1.5, s.KindFloor = 30,
    s.PlantDrag = 0.5, s.MeatSpared = 0.5, s.LightPatches = 2, s.PatchRadius = 200, s.PatchDistance = 150,
    s.PatchShade = 0.2, s.KindPatches = 1;
  };
  const std::string plain = RunScattered(6, 400, 1500, 400, true, true, coexistence);
  const std::string shaped = RunScattered(6, 400, 1500, 400, true, true, breadth);
  EXPECT_NE(plain, RunScattered(6, 400, 1500, 400, true, true));  // the rules act
  EXPECT_NE(plain, shaped);
  SetWorkerThreads(3);
  EXPECT_TRUE(RunScattered(6, 400, 1500, 400, false, true, coexistence) == plain);
  EXPECT_TRUE(RunScattered(6, 400, 1500, 400, false, true, breadth) == shaped);
  SetWorkerThreads(0);
}

// Under the rules of open evolution the invariants hold, the fast passes give the plain world,
// and behaviour grows: animals read organs the built-in animal does not have.
TEST_F(WorldRun, OpenEvolutionKeepsTheWorldSoundAndRewiresAnimals) {
  TWorld world;
  UseRules(world, true);
  BuildScatteredWorld(world, 300, 900, 4);
  for (int step = 1; step <= 1500; ++step) {
    world.CurrentStep = step;
    world.WorldStep();
    ASSERT_NO_THROW(CheckWorld(world, step));
  }
  const std::string fast = Snapshot(world);
  EXPECT_TRUE(RunScattered(4, 300, 900, 1500, true, true) == fast);
  SetWorkerThreads(3);
  EXPECT_TRUE(RunScattered(4, 300, 900, 1500, false, true) == fast);
  SetWorkerThreads(0);
  TWorldContext elsewhere;
  const std::unique_ptr<TCreature> adam(CreateAdam(elsewhere));
  int readingNewOrgans = 0, animals = 0;
  for (const TCreature* c : world.List) {
    if (c->Vegetable) continue;
    ++animals;
    bool reads = false;
    for (const TPart* p : c->Parts.Items)
      for (const TFormulaTerm& t : FormulaTerms(p->GetProperty("formula"))) reads |= !adam->FindPart(t.Id);
    readingNewOrgans += reads;
  }
  EXPECT_GT(animals, 20);
  EXPECT_GT(readingNewOrgans, 0);
}

TEST_F(WorldRun, MouthsFindTheFirstCreatureInListOrder) {
  TWorld world;
  UseShippedSettings(world);
  BuildScatteredWorld(world, 3000, 2500, 9);
  TMouthIndex index;
  index.Build(world.List);
  Random.Seed(4);
  for (int k = 0; k < 20000; ++k) {
    const float x = static_cast<float>((Random.Real() - 0.5) * 2600),
                y = static_cast<float>((Random.Real() - 0.5) * 2600);
    ASSERT_EQ(index.CreatureAt(x, y), world.CreatureAt(x, y)) << x << "," << y;
  }
  // A creature far away and a huge one are still found.
  world.List[5]->X = 1e9f;
  world.List[7]->Radius = 5000;
  index.Build(world.List);
  EXPECT_EQ(index.CreatureAt(1e9f, world.List[5]->Y), world.List[5]);
  EXPECT_EQ(index.CreatureAt(world.List[7]->X + 4000, world.List[7]->Y), world.List[7]);
  // An eater that grows beyond the room its cells give is still found once noted.
  TCreature* eater = world.List[20];
  eater->Radius *= 1.5f;
  const float edgeX = eater->X + eater->Radius * 0.99f;
  index.NoteGrowth(20);
  EXPECT_EQ(index.CreatureAt(edgeX, eater->Y), world.CreatureAt(edgeX, eater->Y));
  EXPECT_NE(index.CreatureAt(edgeX, eater->Y), nullptr);
  // Points far beyond the grid find nothing, and convert safely.
  EXPECT_EQ(index.CreatureAt(3e38f, -3e38f), nullptr);
  EXPECT_EQ(index.CreatureAt(-3e38f, 1e30f), nullptr);
  // Spread over millions of units, the index keeps only the occupied cells and answers alike,
  // overlapping creatures included.
  world.List[5]->X = 9.9e6f, world.List[6]->X = -9.9e6f, world.List[6]->Y = 9.9e6f;
  world.List[7]->Radius = 8;
  world.List[9]->X = world.List[8]->X + 3, world.List[9]->Y = world.List[8]->Y;
  index.Build(world.List);
  EXPECT_TRUE(index.Sparse());
  for (int k = 0; k < 20000; ++k) {
    const TCreature* near = world.List[static_cast<size_t>(k) % world.List.size()];
    const float x = near->X + static_cast<float>((Random.Real() - 0.5) * 40),
                y = near->Y + static_cast<float>((Random.Real() - 0.5) * 40);
    ASSERT_EQ(index.CreatureAt(x, y), world.CreatureAt(x, y)) << x << "," << y;
  }
}

}  // namespace
}  // namespace viv
