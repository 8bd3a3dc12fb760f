// The window's world without a window: time travel, branches and the samples of the graphs.
// Gone back and run on again, a world's samples are those of a straight run to the same step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/world_document.h"
#include "config/errors.h"
#include "config/thread_pool.h"
#include "support/scenes.h"

namespace viv {
namespace {

void Start(TWorldDocument& doc) {
  doc.Sim().StartUp(ShippedSettings(), 5);
  doc.Sim().Populate(800, 600, {}, {20, 300});
  doc.Begin("");
}

// As the window runs: a step, then the graphs' sample (the window samples once a frame; here
// every step, the densest it does, while it travels forward).
void RunTo(TWorldDocument& doc, int64_t step) {
  while (doc.Sim().StepCount() < step) {
    doc.Step();
    doc.SampleGraphs();
  }
}

using TCurve = std::vector<std::vector<double>>;

TCurve Curve(const TRunGraphs& g) {
  TCurve out;
  for (const TRunSample& s : g.Samples)
    out.push_back({double(s.Step), double(s.Animals), double(s.Plants), s.Diversity, s.TaxonDiversity});
  return out;
}

// The samples with the counts the reports restart, and the wave points.
TCurve Curve(const TEvolutionGraphs& g) {
  TCurve out;
  for (const TEvolutionSample& s : g.Samples)
    out.push_back({double(s.Step), double(s.Stats.Taxa), double(s.Stats.Change), double(s.Stats.NewActivity),
                   double(s.Stats.ShadowNewActivity), s.Stats.Activity});
  for (const TWavePoint& w : g.Waves) out.push_back({double(w.Step), w.Activity, double(w.Shadow)});
  return out;
}

TEST(WorldDocument, GoneBackAndOnItsSamplesAreThoseOfAStraightRun) {
  SetWorkerThreads(1);
  TWorldDocument straight, travelled;
  Start(straight);
  Start(travelled);
  RunTo(straight, 6000);
  RunTo(travelled, 6000);
  // Back a keyframe's spacing six times, as [ does, each time on again to where it was.
  ASSERT_NE(travelled.Timeline(), nullptr);
  const int64_t spacing = travelled.Timeline()->Spacing();
  for (int k = 0; k < 6; ++k) {
    const int64_t back = 6000 - (k + 1) * spacing / 2;
    ASSERT_EQ(travelled.GoToStep(back), "");
    ASSERT_EQ(travelled.Sim().StepCount(), back);
    ASSERT_FALSE(travelled.Graphs().Samples.empty());
    EXPECT_LE(travelled.Graphs().Samples.back().Step, back);  // the undone future is gone
    RunTo(travelled, 6000);
  }
  EXPECT_EQ(travelled.Sim().Hash(), straight.Sim().Hash());
  EXPECT_EQ(Curve(travelled.Graphs()), Curve(straight.Graphs()));
  EXPECT_EQ(Curve(travelled.Evolution()), Curve(straight.Evolution()));
  ASSERT_EQ(straight.Evolution().Samples.size(), 6u);

  // Thinned, the samples still cover the run evenly: a point within the interval kept of every step.
  const TRunGraphs& g = straight.Graphs();
  EXPECT_LE(g.Samples.size(), TRunGraphs::MaxSamples);
  EXPECT_GT(g.Every, 1);
  for (size_t k = 1; k < g.Samples.size(); ++k) EXPECT_LE(g.Samples[k].Step - g.Samples[k - 1].Step, g.Every);

  // Back to 2,500 and on elsewhere (a change by hand): the old future is not mixed in.
  ASSERT_EQ(travelled.GoToStep(2500), "");
  travelled.Sim().Hold(travelled.Population().List.back()->Serial);
  travelled.Sim().MoveHeld(10, 10);
  travelled.Sim().Hold(0);
  RunTo(travelled, 2600);
  for (const TRunSample& s : travelled.Graphs().Samples) EXPECT_LE(s.Step, 2600);
  for (const TWavePoint& w : travelled.Evolution().Waves) EXPECT_LE(w.Step, 2600);
}

TEST(WorldDocument, ABranchGoesOnBesideTheOriginalAndTheyChangePlaces) {
  SetWorkerThreads(1);
  TWorldDocument doc, control;
  std::vector<std::string> notices;
  int changes = 0;
  doc.Listen([&](const std::string& text) { notices.push_back(text); }, [&] { ++changes; });
  Start(doc);
  Start(control);
  RunTo(doc, 1500);
  RunTo(control, 3000);
  EXPECT_THROW(doc.BranchHere({{"SunLight", -5}}), std::exception);  // a bad value changes nothing
  EXPECT_EQ(doc.Other(), nullptr);
  doc.BranchHere({{"SunLight", doc.Sim().Rules().SunLight / 2}});
  ASSERT_NE(doc.Other(), nullptr);
  EXPECT_EQ(doc.Other()->Name, "the original");
  EXPECT_EQ(doc.BranchName().rfind("branch 2 (SunLight", 0), 0u) << doc.BranchName();
  ASSERT_FALSE(notices.empty());
  EXPECT_NE(notices.back().find("A new branch from step 1500"), std::string::npos);
  EXPECT_EQ(Curve(doc.Other()->Graphs), Curve(doc.Graphs()));  // both start with the samples so far
  RunTo(doc, 3000);
  // The original beside went on as if nothing happened; the branch parted from it.
  EXPECT_EQ(doc.Other()->Sim.Hash(), control.Sim().Hash());
  EXPECT_EQ(Curve(doc.Other()->Graphs), Curve(control.Graphs()));
  EXPECT_GT(doc.PartedAt(), 1500);
  const uint64_t branchHash = doc.Sim().Hash();
  doc.SwitchBranch();
  EXPECT_EQ(doc.BranchName(), "the original");
  EXPECT_EQ(doc.Sim().Hash(), control.Sim().Hash());
  EXPECT_EQ(doc.Other()->Sim.Hash(), branchHash);
  // Back before the branch began, both go back; the marks still show what lies ahead.
  EXPECT_EQ(doc.GoToStep(1000), "");
  ASSERT_NE(doc.Other(), nullptr);
  EXPECT_EQ(doc.Other()->Sim.StepCount(), 1000);
  EXPECT_EQ(doc.PartedAt(), -1);
  doc.StopComparing();
  EXPECT_EQ(doc.Other(), nullptr);
  EXPECT_GT(changes, 3);
}

}  // namespace
}  // namespace viv
