#include <filesystem>
#include <fstream>
#include <numbers>
#include <set>

#include "config/duck.h"
#include "config/files.h"
#include "config/mutate.h"
#include "test_support.h"

namespace viv {
namespace {

using Routines = CleanWorld;

TEST_F(Routines, SplitOffWalksAListFromTheLeft) {
  std::string text = "a|b|c", head;
  const char* expected[][2] = {{"a", "b|c"}, {"b", "c"}, {"c", ""}, {"", ""}};
  for (auto& e : expected) {
    SplitOff(text, "|", head);
    EXPECT_EQ(head, e[0]);
    EXPECT_EQ(text, e[1]);
  }
  text = "|x";
  SplitOff(text, "|", head);
  EXPECT_EQ(head, "");
  EXPECT_EQ(text, "x");
  text = "ab::cd";
  SplitOff(text, "::", head);
  EXPECT_EQ(head, "ab");
  EXPECT_EQ(text, "cd");
  text = "abc";
  SplitOff(text, "", head);
  EXPECT_EQ(head, "abc");
  EXPECT_EQ(text, "");
}

TEST_F(Routines, RandomOffsetIsNonZeroAndDrawsAsSaid) {
  EXPECT_EQ(CountDraws(Random, [&] { EXPECT_EQ(RandomOffset(Random, 1), 0); }), 0);
  EXPECT_EQ(CountDraws(Random, [&] { EXPECT_EQ(RandomOffset(Random, 0), 0); }), 0);
  EXPECT_EQ(CountDraws(Random, [&] { EXPECT_EQ(RandomOffset(Random, -5), 0); }), 0);
  EXPECT_EQ(CountDraws(Random, [&] { EXPECT_EQ(std::abs(RandomOffset(Random, 2)), 1); }), 1);
  EXPECT_EQ(CountDraws(Random, [&] { RandomOffset(Random, 30); }), 2);
  std::set<int> seen;
  for (int i = 0; i < 4000; ++i) {
    int o = RandomOffset(Random, 5);
    ASSERT_NE(o, 0);
    ASSERT_LE(std::abs(o), 4);
    seen.insert(o);
  }
  EXPECT_EQ(seen.size(), 8u);
}

TEST_F(Routines, RandomDrawsAreUniformAndRepeatable) {
  Random.Seed(7);
  double a = Random.Real();
  int32_t b = Random.Int(1000);
  Random.Seed(7);
  EXPECT_EQ(Random.Real(), a);
  EXPECT_EQ(Random.Int(1000), b);
  int counts[4] = {};
  for (int i = 0; i < 40000; ++i) {
    double r = Random.Real();
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 1);
    ++counts[Random.Int(4)];
  }
  for (int c : counts) EXPECT_NEAR(c, 10000, 400);
}

TEST_F(Routines, StrictlyBetweenExcludesTheBounds) {
  EXPECT_FALSE(StrictlyBetween(5, 5, 10));
  EXPECT_TRUE(StrictlyBetween(7, 10, 5));
  EXPECT_FALSE(StrictlyBetween(3, 3, 3));
  EXPECT_TRUE(StrictlyBetween(1, 0, 800));
  EXPECT_FALSE(StrictlyBetween(800, 0, 800));
}

struct Counted {
  static int freed;
  ~Counted() { ++freed; }
};
int Counted::freed = 0;

TEST_F(Routines, FreeDistinctFreesEachObjectOnce) {
  Counted::freed = 0;
  Counted* a = new Counted;
  Counted* b = new Counted;
  std::vector<Counted*> list = {a, nullptr, a, b};
  FreeDistinct(list);
  EXPECT_EQ(Counted::freed, 2);
  EXPECT_TRUE(list.empty());
  // A long list (a hostile file's body) takes the other path: still each object once.
  Counted::freed = 0;
  Counted* c = new Counted;
  std::vector<Counted*> many(100000, c);
  many.push_back(new Counted);
  FreeDistinct(many);
  EXPECT_EQ(Counted::freed, 2);
}

// A save killed before its rename leaves a temporary file named after its target; the next
// save to that target removes it, and nothing else.
TEST_F(Routines, ASaveRemovesWhatKilledSavesOfItsTargetLeft) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / TestFolderName("vivarion");
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const char* n : {".w.vivw.vivarion-Ab12Cd", ".other.vivw.vivarion-Ab12Cd", "w.vivw.vivarion-Ab12Cd"})
    std::ofstream(dir / n) << "half";
  WriteFileAtomically((dir / "w.vivw").string(), "whole", false);
  std::set<std::string> left;
  for (const auto& e : fs::directory_iterator(dir)) left.insert(e.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{".other.vivw.vivarion-Ab12Cd", "w.vivw", "w.vivw.vivarion-Ab12Cd"}));
  fs::remove_all(dir);
}

TEST_F(Routines, ListFilesHonoursPatternAndMask) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / TestFolderName("vivarion");
  fs::remove_all(dir);
  fs::create_directories(dir / "sub.viv");
  for (const char* n : {"b.viv", "a.viv", "c.txt", ".h.viv", "C.VIV"}) std::ofstream(dir / n) << "x";
  std::vector<std::string> names = {"kept"};
  ListFiles((dir / "*.viv").string(), 63, names);
  EXPECT_EQ(names, (std::vector<std::string>{"kept", ".h.viv", "C.VIV", "a.viv", "b.viv", "sub.viv"}));
  names.clear();
  ListFiles((dir / "*.viv").string(), faArchive, names);
  EXPECT_EQ(names, (std::vector<std::string>{"C.VIV", "a.viv", "b.viv"}));
  names.clear();
  ListFiles((dir.string() + "\\?.viv"), 63, names);
  EXPECT_EQ(names, (std::vector<std::string>{"C.VIV", "a.viv", "b.viv"}));
  names.clear();
  ListFiles("/no/such/folder/*.viv", 63, names);
  EXPECT_TRUE(names.empty());
  fs::remove_all(dir);
}

TEST_F(Routines, WildcardsMatchWholeNames) {
  EXPECT_TRUE(WildcardMatch("*.viv", "ADAM.viv"));
  EXPECT_TRUE(WildcardMatch("*.viv", ".viv"));
  EXPECT_FALSE(WildcardMatch("*.viv", "ADAM.viv.bak"));
  EXPECT_TRUE(WildcardMatch("A?AM*", "ADAMS"));
  EXPECT_FALSE(WildcardMatch("A?AM", "AAM"));
  EXPECT_TRUE(WildcardMatch("*.viv", "C.VIV"));
  EXPECT_TRUE(WildcardMatch("adam.*", "ADAM.Viv"));
}

TEST_F(Routines, RateZeroChangesNothingAndDrawsOnce) {
  EXPECT_EQ(CountDraws(Random, [&] { EXPECT_EQ(MutateByte(Random, 77, 0), 77); }), 1);
  EXPECT_EQ(CountDraws(Random, [&] { EXPECT_EQ(MutateUnit(Random, 0.25, 0), 0.25); }), 1);
  EXPECT_EQ(CountDraws(Random, [&] { EXPECT_EQ(MutateAngle(Random, 1.5, 0), 1.5); }), 1);
  EXPECT_EQ(CountDraws(Random, [&] { EXPECT_EQ(MutateScale(Random, 2000, 0), 2000); }), 1);
  EXPECT_EQ(CountDraws(Random, [&] { EXPECT_EQ(MutateColor(Random, 0x200A000, 0), 0x200A000u); }), 3);
  EXPECT_EQ(MutateColor(Random, 0xFF, 0), 0x20000FFu);
  EXPECT_EQ(MutateColor(Random, 0xFF123456, 0), 0x2123456u);
}

TEST_F(Routines, MutationsAtRateOneStayInTheirRanges) {
  std::set<double> units;
  for (int i = 0; i < 3000; ++i) {
    int32_t hi = MutateByte(Random, 255, 1), lo = MutateByte(Random, 0, 1);
    ASSERT_TRUE(hi == 255 || hi == 254);
    ASSERT_TRUE(lo == 0 || lo == 1);
    double u = MutateUnit(Random, 1, 1);
    ASSERT_LE(u, 1);
    ASSERT_GE(u, 1 - 0.149 - 1e-12);
    units.insert(u);
    double s = MutateScale(Random, 100, 1);
    ASSERT_NE(s, 100);
    ASSERT_GE(s, 91 - 1e-9);
    ASSERT_LE(s, 109 + 1e-9);
    double a = MutateAngle(Random, 3, 1);
    ASSERT_LE(std::abs(a - 3), 0.087 + 1e-12);
  }
  EXPECT_TRUE(units.count(1.0));  // a positive offset is clamped at 1
  EXPECT_EQ(MutateUnit(Random, 5, 0), 5);
  EXPECT_EQ(CountDraws(Random, [&] { MutateUnit(Random, 5, 1); }), 3);
  EXPECT_EQ(CountDraws(Random, [&] { MutateAngle(Random, 5, 1); }), 7);
}

TEST_F(Routines, MutateAngleWrapsOnceAtEachEnd) {
  // Find a draw sequence whose three offsets sum to -0.05 and replay it.
  for (int attempt = 0; attempt < 200000; ++attempt) {
    TRandomState s = Random.State();
    Random.Real();
    int sum = RandomOffset(Random, 30) + RandomOffset(Random, 30) + RandomOffset(Random, 30);
    if (sum == -50) {
      Random.SetState(s);
      double a = MutateAngle(Random, 0.01, 1);
      EXPECT_NEAR(a, 2 * std::numbers::pi - 0.04, 1e-12);
      return;
    }
  }
  FAIL() << "no draw sequence summing to -50 found";
}

}  // namespace
}  // namespace viv
