// The settings and animals that ship with the program load and live.
#include <filesystem>

#include "config/duck.h"
#include "support/scenes.h"
#include "test_support.h"
#include "world/world.h"

namespace viv {
namespace {

namespace fs = std::filesystem;

using ShippedFiles = CleanWorld;

TEST_F(ShippedFiles, TheSettingsLoadWithEveryKey) {
  Settings.Open(std::string(VIVARION_SOURCE_DIR) + "/VIVARION.ini");
  EXPECT_GT(Settings.SunLight, 0);
  EXPECT_GT(Settings.CostOfLiving, 0);
  EXPECT_GT(Settings.MinEnergy, 0);
  EXPECT_GT(Settings.MaxFood, 0);
  EXPECT_GE(Settings.NiceValue, 0);
  EXPECT_LE(Settings.NiceValue, 99);
}

TEST_F(ShippedFiles, TestsAndBenchmarksUseTheShippedSettings) {
  Settings.Open(std::string(VIVARION_SOURCE_DIR) + "/VIVARION.ini");
  const TSettings shipped = Settings;
  Settings.Reset();
  Settings = ShippedSettings();
  EXPECT_EQ(Settings.FileName, shipped.FileName);
  EXPECT_EQ(Settings.SunLight, shipped.SunLight);
  EXPECT_EQ(Settings.MaxFood, shipped.MaxFood);
  EXPECT_EQ(Settings.OrganLoss, shipped.OrganLoss);
  EXPECT_EQ(Settings.PlantFloor, shipped.PlantFloor);
}

TEST_F(ShippedFiles, EveryAnimalLoadsAndLives) {
  Settings.Open(std::string(VIVARION_SOURCE_DIR) + "/VIVARION.ini");
  std::vector<std::string> names;
  ListFiles(std::string(VIVARION_SOURCE_DIR) + "/animals/*.viv", faArchive, names);
  ASSERT_GE(names.size(), 4u);
  for (const std::string& name : names) {
    const std::string path = std::string(VIVARION_SOURCE_DIR) + "/animals/" + name;
    TCreature animal;
    animal.LoadFromFile(path);
    EXPECT_FALSE(animal.Vegetable) << name;
    EXPECT_GT(animal.Parts.Count(), 0) << name;
    // A small world of that animal runs without an error.
    TWorld world;
    world.Populate(800, 600, {path}, {3, 100});
    for (int step = 0; step < 300; ++step) world.WorldStep();
  }
}

}  // namespace
}  // namespace viv
