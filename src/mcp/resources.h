#pragma once
// The resources the agents' server offers: every settings key with its meaning, range, value
// when absent and shipped value (from the key table, so that a new key appears by itself), the
// sample animals, and the study file's format.
#include <optional>
#include <string>

#include "mcp/toolbox.h"

namespace viv {

struct TResourcePlaces {
  std::string SettingsFile;   // the settings file the programs use: its values are the shipped ones
  std::string AnimalsFolder;  // the sample animals (empty: none found)
};

// resources/list's answer.
TJson ListResources(const TResourcePlaces& places);
// resources/read's contents of uri, or nullopt when no resource has that address.
std::optional<TJson> ReadResource(const TResourcePlaces& places, const std::string& uri);

// Where the sample animals lie: "animals" beside the program (the build tree), else the
// installed ones (share/vivarion/animals); empty when neither holds any.
std::string FindSampleAnimals(const std::string& programFolder);

}  // namespace viv
