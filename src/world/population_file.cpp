#include "world/population_file.h"

#include "config/data_files.h"
#include "config/errors.h"
#include "config/files.h"
#include "config/ini_file.h"
#include "config/number_text.h"
#include "config/settings.h"

namespace viv {

TPopulationCounts ReadPopulationFile(const std::string& fileName) {
  TPopulationCounts counts;
  const TIniFile ini(fileName, "a population file");
  auto read = [&](const char* key, int32_t& field) {
    try {
      field = StrToInt(ini.Get("Population", key).value_or(""));
    } catch (const EConvertError&) {
      // a missing or malformed value keeps the default
    }
  };
  read("NumCreatures", counts.NumCreatures);
  read("NumFood", counts.NumFood);
  return counts;
}

std::string FindPopulationFile() { return FindPopulationFile(ExecutableFolder(), InstalledDataFolder()); }

std::string FindPopulationFile(const std::string& programFolder, const std::string& installedFolder) {
  for (const std::string& file :
       {std::string("population.ini"), programFolder + "population.ini", installedFolder + "population.ini"})
    if (FileExists(file)) return file;
  return programFolder + "population.ini";
}

TPopulationCounts ReadPopulation(const std::string& given) {
  if (given.empty()) return ReadPopulationFile(FindPopulationFile());
  if (!FileExists(given)) throw EVivarion(given + ": cannot open the population file");
  return ReadPopulationFile(given);
}

}  // namespace viv
