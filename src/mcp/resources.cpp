#include "mcp/resources.h"

#include <algorithm>
#include <filesystem>

#include "config/files.h"
#include "config/settings.h"

namespace viv {

extern const char* const StudyFormatText;

namespace {

namespace fs = std::filesystem;
constexpr const char* SettingsUri = "vivarion://settings";
constexpr const char* StudyUri = "vivarion://study-format";
constexpr const char* AnimalPrefix = "vivarion://animals/";

std::vector<std::string> SampleNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  if (folder.empty()) return names;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == ".viv" && IsRegularFile(entry.path().string()))
      names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

TJson SettingsTable(const std::string& settingsFile) {
  TSettings shipped;
  if (!settingsFile.empty() && IsRegularFile(settingsFile)) shipped.Open(settingsFile);
  TJson keys = TJson::array();
  for (const std::string& key : SettingsKeys()) {
    const auto [low, high] = SettingsKeyRange(key);
    TJson entry = {{"key", key},
                   {"meaning", SettingsKeyMeaning(key)},
                   {"whole", IsWholeSettingsKey(key)},
                   {"when_absent", 0},
                   {"shipped", shipped.Get(key)}};
    // Ranges of keys that nothing bounds are given as null.
    entry["minimum"] = low > -1e299 ? TJson(low) : TJson(nullptr);
    entry["maximum"] = high < 1e299 ? TJson(high) : TJson(nullptr);
    keys.push_back(entry);
  }
  return {{"settings_file", settingsFile}, {"keys", keys}};
}

}  // namespace

std::string FindSampleAnimals(const std::string& programFolder) {
  for (const std::string& folder : {programFolder + "animals", programFolder + "../share/vivarion/animals"})
    if (!SampleNames(folder).empty()) return folder;
  return {};
}

TJson ListResources(const TResourcePlaces& places) {
  TJson list = TJson::array();
  list.push_back({{"uri", SettingsUri},
                  {"name", "settings"},
                  {"description", "Every settings key: its meaning, range, value when absent and shipped value."},
                  {"mimeType", "application/json"}});
  list.push_back({{"uri", StudyUri},
                  {"name", "study-format"},
                  {"description", "How to write a study file (TOML) for run_study."},
                  {"mimeType", "text/markdown"}});
  for (const std::string& name : SampleNames(places.AnimalsFolder))
    list.push_back({{"uri", AnimalPrefix + name},
                    {"name", "animal " + name},
                    {"description", "A sample animal file, for new_world's animals or put_animal (path: " +
                                        places.AnimalsFolder + "/" + name + ".viv)."},
                    {"mimeType", "application/xml"}});
  return {{"resources", list}};
}

std::optional<TJson> ReadResource(const TResourcePlaces& places, const std::string& uri) {
  auto contents = [&](const std::string& mime, const std::string& text) {
    return TJson{{"contents", TJson::array({{{"uri", uri}, {"mimeType", mime}, {"text", text}}})}};
  };
  if (uri == SettingsUri) return contents("application/json", SettingsTable(places.SettingsFile).dump(1));
  if (uri == StudyUri) return contents("text/markdown", StudyFormatText);
  if (uri.rfind(AnimalPrefix, 0) == 0) {
    const std::string name = uri.substr(std::string(AnimalPrefix).size());
    const std::vector<std::string> names = SampleNames(places.AnimalsFolder);
    if (std::find(names.begin(), names.end(), name) != names.end())
      return contents("application/xml",
                      ReadRegularFile(places.AnimalsFolder + "/" + name + ".viv", 16 << 20, "an animal file"));
  }
  return std::nullopt;
}

}  // namespace viv
