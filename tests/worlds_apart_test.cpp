// Several worlds in one process share nothing: stepped in any interleaving, or side by side
// on threads that share the worker pool, each gives exactly what it gives alone.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "config/thread_pool.h"
#include "creature/animal_edit.h"
#include "sim/simulation.h"
#include "support/inside.h"
#include "support/scenes.h"

namespace viv {
namespace {

constexpr int Steps = 1500, ReportEvery = 100;

// A world of its own: the shipped settings (with one rule changed where asked) and a seed.
struct TWorldPlan {
  uint64_t Seed;
  double Brown;
  TPasses Passes;
};

void StartWorld(TSimulation& sim, const TWorldPlan& plan) {
  TSettings rules = ShippedSettings();
  rules.Brown = plan.Brown;
  sim.StartUp(rules, plan.Seed);
  sim.SetPasses(plan.Passes);
  sim.Populate(800, 600, {}, {3, 300});
}

// The hash and the status figures at every report, as one line each.
std::string Report(const TSimulation& sim) {
  const TWorldFigures f = sim.Figures();
  return std::to_string(sim.StepCount()) + " " + std::to_string(sim.Hash()) + " " + std::to_string(f.Animals) + " " +
         std::to_string(f.Plants) + " " + std::to_string(f.Biomass) + " " + std::to_string(f.Species);
}

void StepAndReport(TSimulation& sim, std::vector<std::string>& reports) {
  sim.Step();
  if (sim.StepCount() % ReportEvery == 0) reports.push_back(Report(sim));
}

std::vector<std::string> Alone(const TWorldPlan& plan) {
  TSimulation sim;
  StartWorld(sim, plan);
  std::vector<std::string> reports;
  for (int i = 0; i < Steps; ++i) StepAndReport(sim, reports);
  return reports;
}

const TWorldPlan Plans[] = {{11, 4, TPasses::Fast}, {12, 4, TPasses::Plain}, {13, 2, TPasses::Fast}};

TEST(WorldsApart, InterleavedWorldsEachGoAsAlone) {
  SetWorkerThreads(2);
  const std::vector<std::string> alone[] = {Alone(Plans[0]), Alone(Plans[1])};
  ASSERT_NE(alone[0], alone[1]);
  TSimulation worlds[2];
  std::vector<std::string> reports[2];
  for (int w = 0; w < 2; ++w) StartWorld(worlds[w], Plans[w]);
  // One step of each in turn, then runs of uneven length, so that no order is favoured.
  for (int i = 0; i < Steps / 2; ++i)
    for (int w : {0, 1}) StepAndReport(worlds[w], reports[w]);
  while (worlds[0].StepCount() < Steps || worlds[1].StepCount() < Steps)
    for (int w : {1, 0})
      for (int k = 0; k < 1 + 6 * w && worlds[w].StepCount() < Steps; ++k) StepAndReport(worlds[w], reports[w]);
  for (int w = 0; w < 2; ++w) EXPECT_EQ(reports[w], alone[w]) << "world " << w;
  SetWorkerThreads(0);
}

TEST(WorldsApart, WorldsOnThreadsSharingThePoolEachGoAsAlone) {
  SetWorkerThreads(2);
  std::vector<std::vector<std::string>> alone;
  for (const TWorldPlan& plan : Plans) alone.push_back(Alone(plan));
  std::vector<std::vector<std::string>> reports(3);
  std::vector<std::thread> threads;
  for (int w = 0; w < 3; ++w) threads.emplace_back([w, &reports] { reports[w] = Alone(Plans[w]); });
  for (std::thread& t : threads) t.join();
  for (int w = 0; w < 3; ++w) EXPECT_EQ(reports[w], alone[w]) << "world " << w;
  SetWorkerThreads(0);
}

// Many short rounds of jobs back to back from two callers, as steps of small worlds hand them
// out: every job of every round runs exactly once, and each round is over when its call returns.
TEST(WorldsApart, ThePoolRunsEveryJobOnceInRapidRounds) {
  SetWorkerThreads(2);
  auto rounds = [](int seed) {
    for (int round = 0; round < 3000; ++round) {
      const int count = 1 + (round * 7 + seed) % 23;
      std::vector<std::atomic<int>> runs(static_cast<size_t>(count));
      WorkerPool().ParallelFor(count, [&runs](int64_t k) { runs[static_cast<size_t>(k)].fetch_add(1); });
      for (int k = 0; k < count; ++k)
        if (runs[static_cast<size_t>(k)].load() != 1) return false;
    }
    return true;
  };
  bool first = false, second = false;
  std::thread other([&] { second = rounds(5); });
  first = rounds(0);
  other.join();
  EXPECT_TRUE(first);
  EXPECT_TRUE(second);
  SetWorkerThreads(0);
}

}  // namespace
}  // namespace viv

namespace viv {
namespace {

// An animal put into a world by hand: a bad text changes nothing (not even the serial count);
// a good one lives there with the next serial, its own species and taxon, and the world steps.
// The editor's checks and wiring read the built-in animal's formulas as they stand.
TEST(WorldsApart, AnimalsPutByHandAndTheirChecks) {
  TSimulation sim;
  TSettings rules;
  rules.MinEnergy = 50;
  sim.StartUp(rules, 5);
  sim.Populate(800, 600, {}, TPopulationCounts{1, 20});
  const uint64_t before = sim.Hash();
  EXPECT_THROW(sim.PutAnimal("<vivarion", "BROKEN", 0, 0), EVivarion);
  EXPECT_EQ(sim.Hash(), before);
  const TCreature* adam = nullptr;
  for (const TCreature* c : sim.Population().List)
    if (!c->Vegetable) adam = c;
  ASSERT_NE(adam, nullptr);
  const std::string text = adam->ToXmlText();
  const uint64_t serial = sim.PutAnimal(text, "PUT", 10, 20);
  EXPECT_EQ(serial, 22u);  // after ADAM and 20 plants
  const TCreature* put = sim.Population().FindSerial(serial);
  ASSERT_NE(put, nullptr);
  EXPECT_EQ(put->SpeciesLabel(), "PUT");
  EXPECT_NE(put->Taxon, 0u);
  EXPECT_EQ(HistoryOf(sim).Emergences.back().Name, "PUT");
  for (int k = 0; k < 50; ++k) sim.Step();

  const std::vector<TWire> wires = AnimalWiring(adam->Parts);
  ASSERT_EQ(wires.size(), 5u);  // MidEngine reads both eyes, RightEngine an eye and the brain, LeftEngine an eye
  EXPECT_EQ(adam->Parts.Items[static_cast<size_t>(wires[3].From)]->Id, "Brain");
  EXPECT_EQ(wires[3].Factor, 5.0f);
  EXPECT_TRUE(AnimalProblems(*adam).empty());
  EXPECT_EQ(FormulaProblem(adam->Parts, "LeftEye.1*2 + Tail.0*1"), "term 2 (Tail): no organ has the id 'Tail'");
  EXPECT_NE(FormulaProblem(adam->Parts, "LeftEye.one*2"), "");
  EXPECT_EQ(FormulaProblem(adam->Parts, ""), "");
  // Outputs an organ does not have, a trailing "+", and a minus between terms, each told.
  EXPECT_EQ(FormulaProblem(adam->Parts, "RightEye.7*8"),
            "term 1 (RightEye): 'RightEye' is an eye, whose outputs are 0 to 2, not 7");
  EXPECT_EQ(FormulaProblem(adam->Parts, "MidEngine.0*1"),
            "term 1 (MidEngine): 'MidEngine' is an engine, which has no outputs to read");
  EXPECT_EQ(FormulaProblem(adam->Parts, "RightEye.1*8 +"), "the formula ends in '+': a term is missing after it");
  EXPECT_NE(FormulaProblem(adam->Parts, "RightEye.1*8 - LeftEye.1*8").find("take one away with a negative factor"),
            std::string::npos);
  EXPECT_EQ(FormulaProblem(adam->Parts, "RightEye.1*-8 + LeftEye.1*1e-3"), "");
  TCreature odd;
  odd.LoadFromText(adam->ToXmlText(), "ODD");
  odd.Parts.Items.back()->SetProperty("formula", "RightEye.7*8 + LeftMouth.0*1");
  EXPECT_EQ(FormulaWarnings(odd),
            std::vector<std::string>{"the formula of 'LeftEngine' reads RightEye.7: 'RightEye' is "
                                     "an eye, whose outputs are 0 to 2, not 7; it reads as 0"});
  std::unique_ptr<TPart> eye(NewOrgan(TPartKind::Eye, nullptr, adam->Parts));
  EXPECT_EQ(eye->Id, "Eye");
}

}  // namespace
}  // namespace viv
