// The taxa and the measures of evolution on scripted histories with known answers.
#include <cmath>
#include <vector>

#include "creature/body_plan.h"
#include "history/taxa.h"
#include "sim/world_file.h"
#include "test_support.h"

namespace viv {
namespace {

class Taxa : public CleanWorld {
 protected:
  TTaxonHistory history;
  // n founders of one file, all ADAMs: one taxon.
  void Found(int n) {
    for (int i = 0; i < n; ++i) Population.Add(CreateAdam(World));
    history.Found(Population, 0);
  }
  void Birth(uint64_t parent, uint64_t child, uint64_t plan = 0) {
    TBirth& b = Population.Births.emplace_back();
    b.ParentTaxon = parent, b.ChildTaxon = child, b.Plan = plan;
  }
  void Death(uint64_t taxon) { Population.Deaths.emplace_back().Taxon = taxon; }
  void Step(int64_t step) {
    history.Record(Population, step);
    Population.Births.clear();
    Population.Deaths.clear();
  }
};

TEST_F(Taxa, PersistenceChangeNoveltyEcologyComplexityAndActivity) {
  history.PersistenceSteps = 100;
  Found(2);
  ASSERT_EQ(history.Taxa.size(), 1u);
  EXPECT_EQ(history.Taxa[0].Label, "ADAM");
  EXPECT_EQ(Population.List[0]->Taxon, 1u);
  const uint64_t adamPlan = history.Taxa[0].Plan;
  EXPECT_EQ(adamPlan, BodyPlanSignature(*Population.List[1]));
  for (int64_t step = 1; step <= 100; ++step) {
    if (step == 10) Birth(1, 2, adamPlan + 1);  // a new plan, which dies out young
    if (step == 20) Birth(1, 3, adamPlan);      // the founders' plan again, as a new lineage
    if (step == 50) Death(2);
    Step(step);
  }
  const TEvolutionStats a = history.Report(100);
  EXPECT_EQ(a.Taxa, 2);
  EXPECT_EQ(a.Persistent, 1);  // the founders' taxon only: the third is 80 steps old
  EXPECT_EQ(a.Change, 1);
  EXPECT_EQ(a.Novelty, 1);
  EXPECT_EQ(a.Ecology, 0);
  EXPECT_EQ(a.Complexity, 6);  // ADAM's engines, eyes and brain
  EXPECT_EQ(a.Activity, 2 * 100 + 81);
  EXPECT_EQ(a.NewActivity, 1);    // the founders' reached 100 member-steps at step 50
  EXPECT_EQ(a.AncestorAge, 100);  // the living descend from the founders' taxon
  EXPECT_TRUE(history.Find(2)->Representative.empty()) << "a taxon that never persisted keeps no text";

  for (int64_t step = 101; step <= 130; ++step) Step(step);
  const TEvolutionStats b = history.Report(130);
  EXPECT_EQ(b.Persistent, 2);
  EXPECT_EQ(b.Change, 1);   // the third taxon joined the persistent ones
  EXPECT_EQ(b.Novelty, 0);  // with a plan that had persisted before
  EXPECT_DOUBLE_EQ(b.Ecology, -(2.0 / 3 * std::log(2.0 / 3) + 1.0 / 3 * std::log(1.0 / 3)));
  EXPECT_EQ(b.NewActivity, 1);  // the third reached 100 at step 119
  EXPECT_GE(b.ShadowTaxa, 1);

  Step(131);
  const TEvolutionStats c = history.Report(131);
  EXPECT_EQ(c.Change, 0);
  EXPECT_EQ(c.NewActivity, 0);

  // Read back from its bytes, the history goes on giving the same measures.
  TTaxonHistory copy;
  copy.PersistenceSteps = 100;
  copy.FromBytes(history.Bytes(), WorldFormatVersion);
  EXPECT_EQ(copy.Bytes(), history.Bytes());
  // Damage a world file could hold: steps after the world's own (they gave negative ages), and
  // a shadow kept without its taxa (the taxa founded at loading doubled it: saves did not load).
  TTaxonHistory damaged;
  EXPECT_THROW(damaged.FromBytes(history.Bytes(), WorldFormatVersion, 130), EVivarion);
  size_t taxaBytes = sizeof(uint64_t);
  for (const TTaxon& t : history.Taxa)
    taxaBytes += 8 * 8 + 4 + 8 + 1 + 8 + t.Label.size() + 8 + t.Representative.size();
  damaged.FromBytes(std::string(8, '\0') + history.Bytes().substr(taxaBytes), WorldFormatVersion);
  EXPECT_TRUE(damaged.Taxa.empty());
  EXPECT_FALSE(damaged.AgreesWith(Population));
  Birth(3, 4, adamPlan + 2);
  const auto births = Population.Births;
  Step(132);
  Population.Births = births;
  copy.Record(Population, 132);
  EXPECT_EQ(copy.Bytes(), history.Bytes());

  // With the founders gone, the living descend from the third taxon, founded at step 20.
  Population.Births.clear();
  Death(1), Death(1);
  Step(133);
  EXPECT_EQ(history.Report(140).AncestorAge, 120);
}

// A world in which who divides and who dies is chosen blindly is its own neutral shadow: the
// taxa that reach the activity threshold are as many as the shadow's, up to chance (summed
// over four such worlds; the cumulative activity itself swings with whichever lineage sweeps).
TEST_F(Taxa, ANeutralHistoryHasTheActivityOfItsShadow) {
  int64_t active = 0, shadowActive = 0;
  for (uint64_t seed = 1; seed <= 4; ++seed) {
    TWorld world;
    TTaxonHistory neutral;
    neutral.PersistenceSteps = 300;
    for (int i = 0; i < 40; ++i) world.Add(CreateAdam(world.Context));
    neutral.Found(world, 0);
    std::vector<uint64_t> members(40, 1);
    uint64_t next = world.Context.NextTaxon;
    TRandom chance;
    chance.Seed(seed);
    for (int64_t step = 1; step <= 60000; ++step) {
      const uint64_t parent = members[static_cast<size_t>(chance.Int(static_cast<int32_t>(members.size())))];
      TBirth& b = world.Births.emplace_back();
      b.ParentTaxon = parent, b.ChildTaxon = chance.Real() < 0.01 ? next++ : parent, b.Plan = b.ChildTaxon;
      members.push_back(b.ChildTaxon);
      const size_t k = static_cast<size_t>(chance.Int(static_cast<int32_t>(members.size())));
      world.Deaths.emplace_back().Taxon = members[k];
      members[k] = members.back();
      members.pop_back();
      neutral.Record(world, step);
      world.Births.clear(), world.Deaths.clear();
      if (step % 1000 == 0) {
        const TEvolutionStats s = neutral.Report(step);
        active += s.NewActivity, shadowActive += s.ShadowNewActivity;
      }
    }
  }
  EXPECT_GT(active, 400);
  EXPECT_NEAR(static_cast<double>(active) / static_cast<double>(shadowActive), 1, 0.15);
}

}  // namespace
}  // namespace viv
