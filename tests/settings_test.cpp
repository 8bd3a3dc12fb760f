#include <filesystem>
#include <fstream>

#include "config/errors.h"
#include "test_support.h"

namespace viv {
namespace {

class SettingsTest : public CleanWorld {
 protected:
  std::string file = (std::filesystem::temp_directory_path() / (TestFolderName("vivarion") + ".ini")).string();
  void Write(const std::string& text) { std::ofstream(file) << text; }
  void TearDown() override {
    std::filesystem::remove(file);
    CleanWorld::TearDown();
  }
};

TEST_F(SettingsTest, NoFileMeansAllZero) {
  Settings.Open("/no/such/VIVARION.ini");
  EXPECT_EQ(Settings.Remming, 0);
  EXPECT_EQ(Settings.CreatureCost, 0);
  EXPECT_EQ(Settings.MaxFood, 0);
  EXPECT_EQ(Settings.NiceValue, 0);
}

TEST_F(SettingsTest, ReadsEveryKeyOfItsSectionCaseInsensitively) {
  Write("[Other]\nGravity=5\n[vivarion]\nremming=0.5\nBrown=3\nPhiRemming=0.1\nPhiBrown=7\nChemicalStabilizer=8\n"
        "Gravity=0.001\nSunLight=2\nCostOfLiving=0.01\nMinEnergy=50\nRadiusCost=1.5\nPartsCost=2.5\n"
        "CreatureCost=3.5\nMaxFood=300\nNiceValue=$10\n");
  Settings.Open(file);
  EXPECT_EQ(Settings.Remming, 0.5);
  EXPECT_EQ(Settings.Brown, 3);
  EXPECT_EQ(Settings.PhiRemming, 0.1);
  EXPECT_EQ(Settings.PhiBrown, 7);
  EXPECT_EQ(Settings.ChemicalStabilizer, 8);
  EXPECT_EQ(Settings.Gravity, 0.001);
  EXPECT_EQ(Settings.SunLight, 2);
  EXPECT_EQ(Settings.CostOfLiving, 0.01);
  EXPECT_EQ(Settings.MinEnergy, 50);
  EXPECT_EQ(Settings.RadiusCost, 1.5);
  EXPECT_EQ(Settings.PartsCost, 2.5);
  EXPECT_EQ(Settings.CreatureCost, 3.5);
  EXPECT_EQ(Settings.MaxFood, 300);
  EXPECT_EQ(Settings.NiceValue, 16);
}

TEST_F(SettingsTest, OnlyGravitySetLeavesTheRestZero) {
  Write("[VIVARION]\nGravity=0.001\n");
  Settings.Open(file);
  EXPECT_EQ(Settings.Gravity, 0.001);
  EXPECT_EQ(Settings.SunLight, 0);
  EXPECT_EQ(Settings.MaxFood, 0);
}

TEST_F(SettingsTest, AFailedReloadStopsAtTheBadKey) {
  Write("[VIVARION]\nRemming=0.1\nBrown=2\nPhiRemming=0.3\nMaxFood=10\n");
  Settings.Open(file);
  Write("[VIVARION]\nRemming=0.7\nBrown=abc\nPhiRemming=0.9\nMaxFood=20\n");
  try {
    Settings.Load();
    FAIL() << "the bad value was accepted";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), file + ": 'abc' is not a valid floating point value");
  }
  EXPECT_EQ(Settings.Remming, 0.7);
  EXPECT_EQ(Settings.Brown, 2);
  EXPECT_EQ(Settings.PhiRemming, 0.3);
  EXPECT_EQ(Settings.MaxFood, 10);
  // Fixing the file ends the errors.
  Write("[VIVARION]\nRemming=0.7\nBrown=4\nPhiRemming=0.9\nMaxFood=20\n");
  Settings.Load();
  EXPECT_EQ(Settings.Brown, 4);
  EXPECT_EQ(Settings.MaxFood, 20);
}

TEST_F(SettingsTest, AnEmptyValueIsAnErrorAndUnusedKeysStillMustBeNumbers) {
  Write("[VIVARION]\nMaxFood=\n");
  EXPECT_THROW(Settings.Open(file), EConvertError);
  Write("[VIVARION]\nPhiBrown=x\n");
  EXPECT_THROW(Settings.Open(file), EConvertError);
  Write("[VIVARION]\nNiceValue=1.5\n");
  try {
    Settings.Open(file);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), file + ": '1.5' is not a valid integer value");
  }
}

TEST_F(SettingsTest, EditsAreSeenAtTheNextLoad) {
  Write("[VIVARION]\nSunLight=1\n");
  Settings.Open(file);
  Write("[VIVARION]\nSunLight=2\n");
  Settings.Load();
  EXPECT_EQ(Settings.SunLight, 2);
}

}  // namespace
}  // namespace viv
