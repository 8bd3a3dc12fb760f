#pragma once
// Shared pieces of the core tests: a clean program-wide state and a recording canvas.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/random.h"
#include "config/settings.h"
#include "draw/raster_canvas.h"
#include "world/world.h"

namespace viv {

// Every test starts with a world of its own: no creatures, zero settings, an empty grid and
// a fixed seed. World, Settings and Random name the world's context, rules and stream.
class CleanWorld : public ::testing::Test {
 protected:
  TWorld Population;
  TWorldContext& World = Population.Context;
  TSettings& Settings = World.Rules;
  TRandom& Random = World.Random;
  void SetUp() override { Random.Seed(12345); }
};

// Counts the draws a piece of code makes from a stream.
template <class F>
int CountDraws(TRandom& random, F&& f, int limit = 64) {
  TRandomState before = random.State();
  f();
  TRandomState after = random.State();
  random.SetState(before);
  for (int n = 0; n <= limit; ++n) {
    if (random.State() == after) return n;
    random.Real();
  }
  return -1;
}

// Remembers every call made on it as a line of text.
class TRecordingCanvas : public TRasterCanvas {
 public:
  std::vector<std::string> Calls;
  void MoveTo(int x, int y) override { Calls.push_back("MoveTo " + std::to_string(x) + " " + std::to_string(y)); }
  void LineTo(int x, int y) override { Calls.push_back("LineTo " + std::to_string(x) + " " + std::to_string(y)); }
  void Ellipse(int x1, int y1, int x2, int y2) override {
    Calls.push_back("Ellipse " + std::to_string(x1) + " " + std::to_string(y1) + " " + std::to_string(x2) + " " +
                    std::to_string(y2) + " pen " + std::to_string(PenColor) + " brush " + std::to_string(BrushColor));
  }
  void TextOut(int x, int y, const std::string& text) override {
    Calls.push_back("TextOut " + std::to_string(x) + " " + std::to_string(y) + " " + text);
  }
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& c : Calls) n += c.rfind(prefix, 0) == 0;
    return n;
  }
};

}  // namespace viv

namespace viv {

// A folder name of its own for the running test, so that tests can run in parallel.
// A name of the running test's own: the process's id in it keeps two runs of the tests on
// one machine (two checkouts, two users) apart.
inline std::string TestFolderName(const std::string& prefix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return prefix + "-" + info->test_suite_name() + "-" + info->name() + "-" + std::to_string(getpid());
}

// A clean world and an empty folder of the test's own, removed afterwards.
class CleanWorldWithFolder : public CleanWorld {
 protected:
  std::filesystem::path dir = std::filesystem::temp_directory_path() / TestFolderName("vivarion");
  void SetUp() override {
    CleanWorld::SetUp();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    CleanWorld::TearDown();
  }
};

}  // namespace viv
