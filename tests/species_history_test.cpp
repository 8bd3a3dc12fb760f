// The species history: emergences from births, extinctions from deaths, the tree and the
// measures of a report, on small scripted worlds.
#include <cmath>

#include "history/species_history.h"
#include "test_support.h"

namespace viv {
namespace {

class SpeciesHistory : public CleanWorld {
 protected:
  TCreatureList world;
  TSpeciesHistory history;
  TCreature* Animal(const std::string& name) {
    TCreature* c = world.Add(TCreature::Create());
    c->Name = name;
    return c;
  }
  void Birth(const std::string& parent, const std::string& child) {
    TBirth& b = world.Births.emplace_back();
    b.ParentName = parent, b.ChildName = child;
  }
  void Death(const std::string& name) { world.Deaths.emplace_back().Name = name; }
  void Step(int64_t step) {
    history.Record(world, step);
    world.Births.clear();
    world.Deaths.clear();
  }
};

TEST_F(SpeciesHistory, AScriptedHistoryGivesItsTreeAndTable) {
  Animal("ADAM");
  world.Add(TCreature::CreateFood());  // plants stay out of it
  history.Found(world, 0);
  Birth("ADAM", "ADIM");
  Step(100);
  Birth("ADIM", "ODIM");
  Birth("ADAM", "ADAM");  // same species: a birth, no emergence
  Step(250);
  Death("ADIM");
  Step(300);  // ADIM dies out
  Birth("ODIM", "ADIM");  // the name comes back from another parent: a second emergence
  Step(400);
  // Branch lengths are the steps from a species' parent's emergence to its own.
  EXPECT_EQ(history.Newick(), "(((ADIM_2:150)ODIM:150)ADIM:100)ADAM:0;\n");
  EXPECT_EQ(history.SpeciesCsv(),
            "name,emergence,first_step,last_step,parent,peak,births,alive\n"
            "ADAM,1,0,400,,2,1,1\n"
            "ADIM,1,100,300,ADAM,1,1,0\n"
            "ODIM,1,250,400,ADIM,1,1,1\n"
            "ADIM,2,400,400,ODIM,1,1,1\n");
}

TEST_F(SpeciesHistory, AReportMeasuresDiversityOrgansAndPersistence) {
  for (int i = 0; i < 3; ++i) Animal("ADAM");
  for (int i = 0; i < 3; ++i) Animal("ODOM");
  history.Found(world, 0);
  TSpeciesStats s = history.Report(world, 10);
  EXPECT_NEAR(s.Diversity, std::log(2.0), 1e-12);  // two equal species
  EXPECT_EQ(s.NewSpecies, 2);
  EXPECT_EQ(s.PersistentSpecies, 0);
  Birth("ODOM", "UDOM");
  Death("ADAM");
  Step(20);
  s = history.Report(world, TSpeciesHistory::PersistenceSteps);
  EXPECT_EQ(s.NewSpecies, 1);
  EXPECT_EQ(s.Births, 1);
  EXPECT_EQ(s.Deaths, 1);
  EXPECT_EQ(s.PersistentSpecies, 2);  // ADAM and ODOM, there from step 0; UDOM is too young
  // The history goes into world files and comes back the same.
  TSpeciesHistory back;
  back.FromBytes(history.Bytes());
  EXPECT_EQ(back.SpeciesCsv(), history.SpeciesCsv());
  EXPECT_EQ(back.Newick(), history.Newick());
  EXPECT_THROW(back.FromBytes(history.Bytes().substr(3)), EVivarion);
}

}  // namespace
}  // namespace viv
