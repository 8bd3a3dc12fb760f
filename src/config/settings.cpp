#include "config/settings.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <iterator>

#include "config/duck.h"
#include "config/errors.h"
#include "config/ini_file.h"
#include "config/number_text.h"

namespace viv {

TSettings Settings;

void TSettings::Load() {
  // A fresh reader each time, so that edits made while the program runs are seen.
  const TIniFile ini(FileName);
  auto text = [&](const char* key, const char* fallback) { return ini.Get("VIVARION", key).value_or(fallback); };
  // A bad value is reported with its key, so the user knows which line to fix.
  auto withKey = [](const char* key, auto convert) {
    try {
      convert();
    } catch (const EConvertError& e) {
      throw EConvertError(std::string(key) + ": " + e.what());
    }
  };
  auto real = [&](const char* key, double& field) { withKey(key, [&] { field = StrToFloat(text(key, "0.0")); }); };
  auto whole = [&](const char* key, int32_t& field) { withKey(key, [&] { field = StrToInt(text(key, "0")); }); };
  WithFileName(FileName, [&] {
    real("Remming", Remming);
    real("Brown", Brown);
    real("PhiRemming", PhiRemming);
    real("PhiBrown", PhiBrown);
    real("ChemicalStabilizer", ChemicalStabilizer);
    real("Gravity", Gravity);
    real("SunLight", SunLight);
    real("CostOfLiving", CostOfLiving);
    real("MinEnergy", MinEnergy);
    real("RadiusCost", RadiusCost);
    real("PartsCost", PartsCost);
    real("CreatureCost", CreatureCost);
    whole("MaxFood", MaxFood);
    whole("NiceValue", NiceValue);
    real("OrganLoss", OrganLoss);
    whole("PlantFloor", PlantFloor);
  });
  static const char* const known[] = {"Remming",      "Brown",       "PhiRemming", "PhiBrown",  "ChemicalStabilizer",
                                      "Gravity",      "SunLight",    "CostOfLiving", "MinEnergy", "RadiusCost",
                                      "PartsCost",    "CreatureCost", "MaxFood",    "NiceValue", "OrganLoss",
                                      "PlantFloor"};
  UnknownKeys.clear();
  for (const std::string& key : ini.Keys("VIVARION"))
    if (std::none_of(std::begin(known), std::end(known), [&](const char* k) { return LowerAscii(key) == LowerAscii(k); }))
      UnknownKeys.push_back(key);
}

std::string UnknownKeysNote(const TSettings& settings) {
  if (settings.UnknownKeys.empty()) return {};
  std::string text = settings.FileName + ": unknown key" + (settings.UnknownKeys.size() > 1 ? "s" : "") + " ignored: ";
  for (size_t k = 0; k < settings.UnknownKeys.size(); ++k) text += (k > 0 ? ", " : "") + settings.UnknownKeys[k];
  return text;
}

std::string SettingsDifferences(const TSettings& from, const TSettings& to) {
  std::string text;
  auto note = [&](const char* key, const std::string& a, const std::string& b) {
    if (a == b) return;
    if (!text.empty()) text += ", ";
    text += std::string(key) + ' ' + a + " -> " + b;
  };
  auto real = [&](const char* key, double TSettings::*field) { note(key, FloatToText(from.*field), FloatToText(to.*field)); };
  auto whole = [&](const char* key, int32_t TSettings::*field) {
    note(key, std::to_string(from.*field), std::to_string(to.*field));
  };
  real("Remming", &TSettings::Remming);
  real("Brown", &TSettings::Brown);
  real("PhiRemming", &TSettings::PhiRemming);
  real("PhiBrown", &TSettings::PhiBrown);
  real("ChemicalStabilizer", &TSettings::ChemicalStabilizer);
  real("Gravity", &TSettings::Gravity);
  real("SunLight", &TSettings::SunLight);
  real("CostOfLiving", &TSettings::CostOfLiving);
  real("MinEnergy", &TSettings::MinEnergy);
  real("RadiusCost", &TSettings::RadiusCost);
  real("PartsCost", &TSettings::PartsCost);
  real("CreatureCost", &TSettings::CreatureCost);
  whole("MaxFood", &TSettings::MaxFood);
  real("OrganLoss", &TSettings::OrganLoss);
  whole("PlantFloor", &TSettings::PlantFloor);
  return text;
}

void TSettings::Open(const std::string& fileName) {
  FileName = fileName;
  Load();
}

void TSettings::Reset() { *this = TSettings(); }

std::string ExecutableFolder() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string folder(path, static_cast<size_t>(n));
  folder.erase(folder.find_last_of('/') + 1);
  return folder;
}

std::string SettingsFileName() { return ExecutableFolder() + "VIVARION.ini"; }

}  // namespace viv
