// The species history: emergences from births, extinctions from deaths, the tree and the
// measures of a report, on small scripted worlds.
#include <cmath>

#include "history/species_history.h"
#include "sim/simulation.h"
#include "sim/world_file.h"
#include "support/scenes.h"
#include "test_support.h"

namespace viv {
namespace {

class SpeciesHistory : public CleanWorld {
 protected:
  TWorld world;
  TSpeciesHistory history;
  TCreature* Animal(const std::string& name) {
    TCreature* c = world.Add(new TCreature(World));
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
  world.Add(TCreature::CreateFood(World));  // plants stay out of it
  history.Found(world, 0);
  Birth("ADAM", "ADIM");
  Step(100);
  Birth("ADIM", "ODIM");
  Birth("ADAM", "ADAM");  // same species: a birth, no emergence
  Step(250);
  Death("ADIM");
  Step(300);              // ADIM dies out
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
  back.FromBytes(history.Bytes(), WorldFormatVersion);
  EXPECT_EQ(back.SpeciesCsv(), history.SpeciesCsv());
  EXPECT_EQ(back.Newick(), history.Newick());
  EXPECT_THROW(back.FromBytes(history.Bytes().substr(3), WorldFormatVersion), EVivarion);
  // A history of steps after its world's is damage (it gave negative ages and Newick lengths).
  EXPECT_THROW(back.FromBytes(history.Bytes(), WorldFormatVersion, 19), EVivarion);
}

}  // namespace
}  // namespace viv

namespace viv {
namespace {

// Founders read from animal files have no name: each file is a founding species of its own,
// labelled after the file, whose daughters name it as their parent; labels that the table or
// the tree reserve are quoted there.
TEST_F(SpeciesHistory, FoundersFromFilesStayApartAndDaughtersKnowThem) {
  Settings = ShippedSettings();
  const std::string animals = std::string(VIVARION_SOURCE_DIR) + "/animals/";
  TSimulation sim;
  sim.Populate(800, 600, {animals + "ELEDIG.viv", animals + "OCONOG.viv"}, {6, 300});
  for (int i = 0; i < 4000; ++i) sim.Step();
  const auto& all = sim.History().Emergences;
  std::vector<std::string> founders;
  size_t daughters = 0;
  for (const TEmergence& e : all) {
    if (e.Parent < 0) founders.push_back(e.Name);
    else ++daughters;
  }
  EXPECT_EQ(founders, (std::vector<std::string>{"ELEDIG.viv", "OCONOG.viv"}));
  EXPECT_GT(daughters, 0u);
  const std::string tree = sim.History().Newick();
  EXPECT_EQ(tree.find("(:"), std::string::npos) << tree;
  EXPECT_EQ(tree.find(",:"), std::string::npos) << tree;
  EXPECT_EQ(tree.find("):"), std::string::npos) << tree;
  EXPECT_NE(tree.find(")founders;"), std::string::npos) << tree;

  TCreature* odd = Animal("");
  odd->Origin = "dir/my animal, (2).viv";
  history.Found(world, 0);
  Birth("my animal, (2).viv", "BA");
  Step(5);
  EXPECT_EQ(history.Newick(), "(BA:5)'my animal, (2).viv':0;\n");
  EXPECT_NE(history.SpeciesCsv().find("\n\"my animal, (2).viv\",1,0,"), std::string::npos) << history.SpeciesCsv();
  EXPECT_NE(history.SpeciesCsv().find(",\"my animal, (2).viv\","), std::string::npos) << history.SpeciesCsv();
}

}  // namespace
}  // namespace viv
