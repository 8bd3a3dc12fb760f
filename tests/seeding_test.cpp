#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "config/files.h"
#include "test_support.h"
#include "world/species_files.h"
#include "world/world.h"

namespace viv {
namespace {

namespace fs = std::filesystem;

class Seeding : public CleanWorld {
 protected:
  fs::path dir = fs::temp_directory_path() / TestFolderName("vivarion");
  TWorld& world = Population;
  void SetUp() override {
    CleanWorld::SetUp();
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    world.Clear();
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir);
    CleanWorld::TearDown();
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = (dir / name).string();
    std::ofstream(path) << text;
    return path;
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(Seeding, TheBuiltInAnimalIsAdam) {
  TCreature* adam = CreateAdam(World);
  EXPECT_EQ(adam->Name, "ADAM");
  EXPECT_EQ(adam->Energy(), 1600);
  EXPECT_EQ(adam->Color, 0x02005050u);
  ASSERT_EQ(adam->Parts.Count(), 8);
  const char* ids[] = {"Brain",     "RightEye",  "LeftEye",     "RightMouth",
                       "LeftMouth", "MidEngine", "RightEngine", "LeftEngine"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(adam->Parts.GetPart(i)->Id, ids[i]);
  EXPECT_EQ(adam->Parts.TotalCost(), 8.0f);
  EXPECT_EQ(World.Grid.Cell(0, 0).size(), 0u);
  delete adam;
}

TEST_F(Seeding, PopulationFileDefaultsAndBadValues) {
  TPopulationCounts none = ReadPopulationFile((dir / "none.ini").string());
  EXPECT_EQ(none.NumCreatures, 1);
  EXPECT_EQ(none.NumFood, 300);
  TPopulationCounts some = ReadPopulationFile(Write("p.ini", "[population]\nnumcreatures=7\nNumFood=abc\n"));
  EXPECT_EQ(some.NumCreatures, 7);
  EXPECT_EQ(some.NumFood, 300);
  TPopulationCounts empty = ReadPopulationFile(Write("q.ini", "[Population]\nNumCreatures=\nNumFood=0\n"));
  EXPECT_EQ(empty.NumCreatures, 1);
  EXPECT_EQ(empty.NumFood, 0);
  // Quotes are dropped; indented, repeated and long lines follow the settings file's rules.
  TPopulationCounts quoted =
      ReadPopulationFile(Write("r.ini", "[Population]\nNumCreatures=\"3\" ; three\n  NumFood='40'\nNumFood=50\n;" +
                                            std::string(300, 'x') + "NumCreatures=9\n"));
  EXPECT_EQ(quoted.NumCreatures, 3);
  EXPECT_EQ(quoted.NumFood, 40);
}

TEST_F(Seeding, AnimalsThenPlantsScatteredOverHalfTheWindow) {
  world.Populate(800, 600, {}, {3, 50});
  ASSERT_EQ(world.Count(), 53);
  for (int i = 0; i < 53; ++i) {
    TCreature* c = world.Items(i);
    EXPECT_EQ(c->Vegetable, i >= 3);
    EXPECT_GE(c->X, -200);
    EXPECT_LE(c->X, 199);
    EXPECT_GE(c->Y, -150);
    EXPECT_LE(c->Y, 149);
    EXPECT_EQ(c->X, std::floor(c->X));
  }
  // Seeding enters nobody in the grid.
  for (int i = -5; i <= 5; ++i)
    for (int j = -5; j <= 5; ++j) EXPECT_TRUE(World.Grid.Cell(i, j).empty());
  // The X draw comes before the Y draw.
  TWorld again;
  again.Context.Random.Seed(5);
  again.Populate(800, 600, {}, {1, 0});
  Random.Seed(5);
  float x = static_cast<float>(Random.Int(400) - 200);
  float y = static_cast<float>(Random.Int(300) - 150);
  EXPECT_EQ(again.Items(0)->X, x);
  EXPECT_EQ(again.Items(0)->Y, y);
}

TEST_F(Seeding, FilesAreUsedInTurnAndAFaultStopsTheSeeding) {
  TCreature* adam = CreateAdam(World);
  std::string a = (dir / "a.viv").string(), b = (dir / "b.viv").string();
  adam->SaveToFile(a);
  adam->Radius = 20;
  adam->SaveToFile(b);
  delete adam;
  world.Populate(800, 600, {a, b}, {3, 2});
  ASSERT_EQ(world.Count(), 5);
  EXPECT_EQ(world.Items(0)->Radius, 40);
  EXPECT_EQ(world.Items(1)->Radius, 20);
  EXPECT_EQ(world.Items(2)->Radius, 40);
  EXPECT_EQ(world.Items(0)->Name, "");
  world.Clear();
  std::string broken = Write("broken.viv", "<vivarion/>");
  try {
    world.Populate(800, 600, {a, broken}, {3, 2});
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find(broken), std::string::npos);
  }
  EXPECT_EQ(world.Count(), 1);  // the failed animal is discarded, nothing after it made
}

TEST_F(Seeding, SavingWritesEachSpeciesOnceAndNeverOverwrites) {
  world.Populate(800, 600, {}, {2, 3});
  world.Items(1)->Radius = 33;
  TCreature* other = world.Add(CreateAdam(World));
  other->Name = "ODAM";
  TCreature* nameless = world.Add(CreateAdam(World));
  nameless->Name = "";
  EXPECT_EQ(SaveSpeciesFiles(world, dir.string()), 3);
  EXPECT_EQ(Files(), (std::vector<std::string>{"ADAM.viv", "ODAM.viv", "unnamed.viv"}));  // never a hidden file
  TCreature back;
  back.LoadFromFile((dir / "ADAM.viv").string());
  EXPECT_EQ(back.Radius, 40);  // the first ADAM, not the second
  world.Items(0)->Radius = 11;
  EXPECT_EQ(SaveSpeciesFiles(world, dir.string() + "/"), 0);
  TCreature still;
  still.LoadFromFile((dir / "ADAM.viv").string());
  EXPECT_EQ(still.Radius, 40);
}

TEST_F(Seeding, SavingIntoAMissingFolderFailsCleanly) {
  world.Populate(800, 600, {}, {1, 0});
  try {
    SaveSpeciesFiles(world, (dir / "nowhere").string());
    FAIL();
  } catch (const EVivarion& e) {
    EXPECT_NE(std::string(e.what()).find("nowhere/ADAM.viv"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(Files().empty());
}

TEST_F(Seeding, SavingIntoAReadOnlyFolderKeepsWhatWasWritten) {
  if (geteuid() == 0) {
    // root writes anywhere; show instead that a file appearing first is never replaced
    Write("ADAM.viv", "mine");
    EXPECT_FALSE(WriteFileAtomically((dir / "ADAM.viv").string(), "theirs", true));
    std::ifstream in(dir / "ADAM.viv");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "mine");
    EXPECT_EQ(Files(), (std::vector<std::string>{"ADAM.viv"}));
    return;
  }
  world.Populate(800, 600, {}, {1, 0});
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(SaveSpeciesFiles(world, dir.string()), EVivarion);
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_TRUE(Files().empty());
}

TEST_F(Seeding, AFileAppearingBeforeTheRenameIsKept) {
  Write("ADAM.viv", "first");
  EXPECT_FALSE(WriteFileAtomically((dir / "ADAM.viv").string(), "second", true));
  EXPECT_EQ(Files(), (std::vector<std::string>{"ADAM.viv"}));
  EXPECT_TRUE(WriteFileAtomically((dir / "ADAM.viv").string(), "third", false));
  std::ifstream in(dir / "ADAM.viv");
  std::string text;
  in >> text;
  EXPECT_EQ(text, "third");
  EXPECT_EQ(Files(), (std::vector<std::string>{"ADAM.viv"}));
}

}  // namespace
}  // namespace viv
