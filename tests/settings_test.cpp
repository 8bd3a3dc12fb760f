#include <cmath>
#include <filesystem>
#include <fstream>

#include "config/duck.h"
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
  Write(
      "[Other]\nGravity=5\n[vivarion]\nremming=0.5\nBrown=3\nPhiRemming=0.1\nPhiBrown=7\nChemicalStabilizer=8\n"
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
  EXPECT_EQ(Settings.OrganLoss, 0);  // the rules beside the design are off
  EXPECT_EQ(Settings.PlantFloor, 0);
}

TEST_F(SettingsTest, TheKeysOfTheAddedRulesAreReadAfterTheFourteen) {
  Write("[VIVARION]\nOrganLoss=0.25\nPlantFloor=40\nSeasonLength=900\nFormulaMutation=0.5\n");
  Settings.Open(file);
  EXPECT_EQ(Settings.OrganLoss, 0.25);
  EXPECT_EQ(Settings.PlantFloor, 40);
  EXPECT_EQ(Settings.SeasonLength, 900);
  EXPECT_EQ(Settings.FormulaMutation, 0.5);
  Write("[VIVARION]\nNiceValue=5\nPlantFloor=lots\n");
  EXPECT_THROW(Settings.Open(file), EConvertError);
  EXPECT_EQ(Settings.NiceValue, 5);
}

TEST_F(SettingsTest, AFailedReloadStopsAtTheBadKey) {
  Write("[VIVARION]\nRemming=0.1\nBrown=2\nPhiRemming=0.3\nMaxFood=10\n");
  Settings.Open(file);
  Write("[VIVARION]\nRemming=0.7\nBrown=abc\nPhiRemming=0.9\nMaxFood=20\n");
  try {
    Settings.Load();
    FAIL() << "the bad value was accepted";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), file + ": Brown: 'abc' is not a valid floating point value");
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
    EXPECT_EQ(std::string(e.what()), file + ": NiceValue: '1.5' is not a valid integer value");
  }
}

TEST_F(SettingsTest, OneLinePerSettingWhateverItsIndentLengthOrRepetition) {
  // An indented key is a key, not the rest of the line before it.
  Write("[VIVARION]\nRemming=0.5\n  Brown=4\n\tGravity=2\n");
  Settings.Open(file);
  EXPECT_EQ(Settings.Remming, 0.5);
  EXPECT_EQ(Settings.Brown, 4);
  EXPECT_EQ(Settings.Gravity, 2);
  // The first of two equal keys wins, even when they differ in case.
  Write("[VIVARION]\nMaxFood=3\nmaxfood=4\n");
  Settings.Open(file);
  EXPECT_EQ(Settings.MaxFood, 3);
  // Long lines are read whole: a long comment does not spill into a setting, long values count.
  Write("[VIVARION]\n;" + std::string(250, 'x') + "Gravity=5\nSunLight=" + std::string(250, '0') + "7\n");
  Settings.Open(file);
  EXPECT_EQ(Settings.Gravity, 0);
  EXPECT_EQ(Settings.SunLight, 7);
}

TEST_F(SettingsTest, QuotesAroundAValueAndCommentsAfterItAreDropped) {
  Write("\xEF\xBB\xBF[VIVARION]\nBrown=\"4\"\nRemming='0.25' ; the damping\nMaxFood = 30 ;\nGravity=\"1\n");
  try {
    Settings.Open(file);
    FAIL() << "an unmatched quote was accepted";
  } catch (const EConvertError& e) {
    EXPECT_NE(std::string(e.what()).find("'\"1' is not a valid floating point value"), std::string::npos);
  }
  EXPECT_EQ(Settings.Remming, 0.25);
  EXPECT_EQ(Settings.Brown, 4);
}

TEST_F(SettingsTest, EditsAreSeenAtTheNextLoad) {
  Write("[VIVARION]\nSunLight=1\n");
  Settings.Open(file);
  Write("[VIVARION]\nSunLight=2\n");
  Settings.Load();
  EXPECT_EQ(Settings.SunLight, 2);
}

TEST_F(SettingsTest, KeysSetByNameAreWrittenAndReadBackExactly) {
  TSettings s;
  double value = 0.1;
  for (const std::string& key : SettingsKeys()) {
    // Reals with many digits, one of them below 1e-4, each within its key's range.
    const auto [low, high] = SettingsKeyRange(key);
    s.Set(LowerAscii(key), IsWholeSettingsKey(key) ? std::min(7.0, high) : low + std::fmod(value, high - low));
    value = value * 3.7 + 1e-7;
  }
  EXPECT_EQ(s.Get("sunlight"), s.SunLight);
  EXPECT_THROW(s.Set("MaxFood", 2.5), EConvertError);
  EXPECT_THROW(s.Set("Gravity", std::nan("")), EConvertError);
  EXPECT_THROW(s.Get("SunLigth"), EVivarion);
  Write(s.IniText());
  Settings.Open(file);
  EXPECT_TRUE(Settings.UnknownKeys.empty());
  for (const std::string& key : SettingsKeys()) EXPECT_EQ(Settings.Get(key), s.Get(key)) << key;
}

// Values that would wipe the world or grow it without end are refused with the key and its
// range, from a file (the fields before stay as read) and by name; a file with no settings
// section, which would give rules of zero, is refused whole; a huge bad value is quoted short.
TEST_F(SettingsTest, ValuesOutOfRangeAndFilesWithoutTheSectionAreRefused) {
  const std::pair<std::string, std::string> cases[] = {
      {"CostOfLiving=-1", "CostOfLiving: -1 is out of range (0 to 1000000)"},
      {"PatchRadius=1e39", "PatchRadius: 1E39 is out of range (0 to 1000000)"},
      {"OrganLoss=1.5", "OrganLoss: 1.5 is out of range (0 to 1)"},
      {"LightPatches=5000", "LightPatches: 5000 is out of range (0 to 1000)"},
      {"SunLight=" + std::string(100000, '9') + "x",
       "SunLight: '" + std::string(60, '9') + "...' (100001 characters) is not a valid floating point value"},
  };
  for (const auto& [line, message] : cases) {
    Write("[VIVARION]\nRemming=0.25\n" + line + "\n");
    Settings.Reset();
    try {
      Settings.Open(file);
      ADD_FAILURE() << "accepted " << line.substr(0, 40);
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), file + ": " + message);
    }
    EXPECT_EQ(Settings.Remming, 0.25);
  }
  EXPECT_THROW(Settings.Set("ColorDiet", 2), EConvertError);
  EXPECT_THROW(Settings.Set("CostOfLiving", -0.5), EConvertError);
  for (const std::string& text : {std::string("Remming=0.5\n"),
                                  std::string("\x7f"
                                              "ELF\x02\x01\x01\0\0\0",
                                              10),
                                  std::string("[Population]\nNumCreatures=3\n")}) {
    Write(text);
    try {
      Settings.Open(file);
      ADD_FAILURE() << "a file without [VIVARION] was read";
    } catch (const EVivarion& e) {
      EXPECT_EQ(std::string(e.what()), file + ": this is not a settings file: it has no [VIVARION] section");
    }
  }
}

}  // namespace
}  // namespace viv
