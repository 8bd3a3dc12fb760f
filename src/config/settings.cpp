#include "config/settings.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <climits>
#include <iterator>

#include "config/duck.h"
#include "config/errors.h"
#include "config/ini_file.h"
#include "config/number_text.h"

namespace viv {

namespace {

// The keys of section "VIVARION" in the order they are read, each with its field.
struct TKey {
  const char* Name;
  double TSettings::*Real;
  int32_t TSettings::*Whole;
};
constexpr TKey Keys[] = {
    {"Remming", &TSettings::Remming, nullptr},
    {"Brown", &TSettings::Brown, nullptr},
    {"PhiRemming", &TSettings::PhiRemming, nullptr},
    {"PhiBrown", &TSettings::PhiBrown, nullptr},
    {"ChemicalStabilizer", &TSettings::ChemicalStabilizer, nullptr},
    {"Gravity", &TSettings::Gravity, nullptr},
    {"SunLight", &TSettings::SunLight, nullptr},
    {"CostOfLiving", &TSettings::CostOfLiving, nullptr},
    {"MinEnergy", &TSettings::MinEnergy, nullptr},
    {"RadiusCost", &TSettings::RadiusCost, nullptr},
    {"PartsCost", &TSettings::PartsCost, nullptr},
    {"CreatureCost", &TSettings::CreatureCost, nullptr},
    {"MaxFood", nullptr, &TSettings::MaxFood},
    {"NiceValue", nullptr, &TSettings::NiceValue},
    {"OrganLoss", &TSettings::OrganLoss, nullptr},
    {"PlantFloor", nullptr, &TSettings::PlantFloor},
    {"CopySkip", &TSettings::CopySkip, nullptr},
    {"FreshIds", &TSettings::FreshIds, nullptr},
    {"FormulaMutation", &TSettings::FormulaMutation, nullptr},
    {"LightPatches", nullptr, &TSettings::LightPatches},
    {"PatchRadius", &TSettings::PatchRadius, nullptr},
    {"PatchDistance", &TSettings::PatchDistance, nullptr},
    {"PatchShade", &TSettings::PatchShade, nullptr},
    {"SeasonLength", nullptr, &TSettings::SeasonLength},
    {"SeasonDepth", &TSettings::SeasonDepth, nullptr},
    {"PlantColors", nullptr, &TSettings::PlantColors},
    {"PlantColorChange", &TSettings::PlantColorChange, nullptr},
    {"ColorDiet", &TSettings::ColorDiet, nullptr},
    {"ColorMutation", nullptr, &TSettings::ColorMutation},
};

const TKey* FindKey(const std::string& name) {
  for (const TKey& key : Keys)
    if (LowerAscii(name) == LowerAscii(key.Name)) return &key;
  return nullptr;
}

const TKey& KeyNamed(const std::string& name) {
  if (const TKey* key = FindKey(name)) return *key;
  throw EVivarion("unknown settings key '" + name + "'");
}

}  // namespace

std::vector<std::string> SettingsKeys() {
  std::vector<std::string> names;
  for (const TKey& key : Keys) names.emplace_back(key.Name);
  return names;
}

bool IsSettingsKey(const std::string& name) { return FindKey(name) != nullptr; }

bool IsWholeSettingsKey(const std::string& name) {
  const TKey* key = FindKey(name);
  return key && key->Whole;
}

double TSettings::Get(const std::string& name) const {
  const TKey& key = KeyNamed(name);
  return key.Real ? this->*key.Real : this->*key.Whole;
}

void TSettings::Set(const std::string& name, double value) {
  const TKey& key = KeyNamed(name);
  const std::string text = FloatToText(value);
  if (!std::isfinite(value)) throw EConvertError(std::string(key.Name) + ": '" + text + "' is not a valid floating point value");
  if (key.Real) {
    this->*key.Real = value;
    return;
  }
  if (value != std::trunc(value) || value < INT32_MIN || value > INT32_MAX)
    throw EConvertError(std::string(key.Name) + ": '" + text + "' is not a valid integer value");
  this->*key.Whole = static_cast<int32_t>(value);
}

std::string TSettings::IniText() const {
  std::string text = "[VIVARION]\n";
  for (const TKey& key : Keys) {
    text += key.Name;
    text += '=';
    if (key.Whole) {
      text += std::to_string(this->*key.Whole);
    } else {
      // The shortest text that reads back to the same double.
      char number[32];
      auto [end, ec] = std::to_chars(number, number + sizeof number, this->*key.Real);
      text.append(number, ec == std::errc() ? end : number);
    }
    text += '\n';
  }
  return text;
}

void TSettings::Load() {
  // A fresh reader each time, so that edits made while the program runs are seen.
  const TIniFile ini(FileName);
  WithFileName(FileName, [&] {
    for (const TKey& key : Keys) {
      // A bad value is reported with its key, so the user knows which line to fix.
      try {
        if (key.Real) this->*key.Real = StrToFloat(ini.Get("VIVARION", key.Name).value_or("0.0"));
        else this->*key.Whole = StrToInt(ini.Get("VIVARION", key.Name).value_or("0"));
      } catch (const EConvertError& e) {
        throw EConvertError(std::string(key.Name) + ": " + e.what());
      }
    }
  });
  UnknownKeys.clear();
  for (const std::string& spelt : ini.Keys("VIVARION"))
    if (std::none_of(std::begin(Keys), std::end(Keys), [&](const TKey& k) { return LowerAscii(spelt) == LowerAscii(k.Name); }))
      UnknownKeys.push_back(spelt);
}

std::string UnknownKeysNote(const TSettings& settings) {
  if (settings.UnknownKeys.empty()) return {};
  std::string text = settings.FileName + ": unknown key" + (settings.UnknownKeys.size() > 1 ? "s" : "") + " ignored: ";
  for (size_t k = 0; k < settings.UnknownKeys.size(); ++k) text += (k > 0 ? ", " : "") + settings.UnknownKeys[k];
  return text;
}

std::string SettingsDifferences(const TSettings& from, const TSettings& to) {
  std::string text;
  for (const TKey& key : Keys) {
    if (key.Whole == &TSettings::NiceValue) continue;  // it paces the window, not the world
    const std::string a = key.Real ? FloatToText(from.*key.Real) : std::to_string(from.*key.Whole);
    const std::string b = key.Real ? FloatToText(to.*key.Real) : std::to_string(to.*key.Whole);
    if (a == b) continue;
    if (!text.empty()) text += ", ";
    text += std::string(key.Name) + ' ' + a + " -> " + b;
  }
  return text;
}

bool TSettings::UsesOpenEvolution() const {
  return CopySkip != 0 || FreshIds != 0 || FormulaMutation != 0 || LightPatches != 0 || PatchRadius != 0 ||
         PatchDistance != 0 || PatchShade != 0 || SeasonLength != 0 || SeasonDepth != 0 || UsesDiet();
}

bool TSettings::UsesDiet() const {
  return PlantColors != 0 || PlantColorChange != 0 || ColorDiet != 0 || ColorMutation != 0;
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
