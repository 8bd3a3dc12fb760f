#include "config/settings.h"

#include <unistd.h>

#include <climits>

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
