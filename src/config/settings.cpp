#include "config/settings.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <functional>
#include <iterator>
#include <optional>

#include "config/duck.h"
#include "config/errors.h"
#include "config/ini_file.h"
#include "config/number_text.h"

namespace viv {

namespace {

// The keys of section "VIVARION" in the order they are read, each with its field and the
// values it may take: every way in (the file, Python, a world file) refuses the others, so
// that no setting can fill the world with infinities or let it grow without end. The bounds
// are wide: only what has no meaning (a negative cost, a chance above 1, a patch larger than
// any world) is refused.
// Family: the rules a key belongs to, in the order they came. A world's hash covers the keys
// of the first family always and those of a later family only when it or a family after it
// has a key set, so that worlds that do not use rules added later keep their hashes.
struct TKey {
  const char* Name = nullptr;
  double TSettings::*Real = nullptr;
  int32_t TSettings::*Whole = nullptr;
  double Min = 0, Max = 0;
  int Family = 0;
  const char* Meaning = "";  // what the key does, in a line, for whoever lists the keys
};
enum TFamily {
  Classic = 0,
  OpenEvolution = 1,
  Diet = 2,
  Ecology = 3,
  Coexistence = 4,
  Breadth = 5,
  Rest = 6,
  Bites = 7,
  Habitats = 8
};
constexpr double Huge = 1e300;  // keys that nothing uses: any finite value
constexpr TKey Keys[] = {
    {"Remming", &TSettings::Remming, nullptr, 0, 1e6, Classic,
     "velocity damping: each step the velocity is multiplied by 1 - speed squared x Remming"},
    {"Brown", &TSettings::Brown, nullptr, 0, 1e6, Classic,
     "Brownian motion: each step each velocity component gets a random kick of up to (Brown - 1) / 100"},
    {"PhiRemming", &TSettings::PhiRemming, nullptr, 0, 2, Classic,
     "spin damping: each step the spin is multiplied by 1 - PhiRemming"},
    {"PhiBrown", &TSettings::PhiBrown, nullptr, -Huge, Huge, Classic, "read and kept, used by nothing"},
    {"ChemicalStabilizer", &TSettings::ChemicalStabilizer, nullptr, -Huge, Huge, Classic,
     "read and kept, used by nothing"},
    {"Gravity", &TSettings::Gravity, nullptr, -1e6, 1e6, Classic,
     "pull toward the origin: each step the velocity loses the position x Gravity"},
    {"SunLight", &TSettings::SunLight, nullptr, 0, 1e6, Classic,
     "a plant gains SunLight / (speed squared + 0.2) energy per step: 5 x SunLight at rest"},
    {"CostOfLiving", &TSettings::CostOfLiving, nullptr, 0, 1e6, Classic, "overall factor of every creature's upkeep"},
    {"MinEnergy", &TSettings::MinEnergy, nullptr, -1e30, 1e30, Classic,
     "a creature whose energy (radius squared) falls below this dies"},
    {"RadiusCost", &TSettings::RadiusCost, nullptr, 0, 1e6, Classic, "upkeep per unit of body radius"},
    {"PartsCost", &TSettings::PartsCost, nullptr, 0, 1e6, Classic,
     "upkeep per unit of organ cost (1 per organ, up to 6 for an engine at full power)"},
    {"CreatureCost", &TSettings::CreatureCost, nullptr, 0, 1e6, Classic, "fixed upkeep of every creature"},
    {"MaxFood", nullptr, &TSettings::MaxFood, INT32_MIN, INT32_MAX, Classic,
     "plants stop dividing once the whole population (animals included) has this many creatures"},
    {"NiceValue", nullptr, &TSettings::NiceValue, INT32_MIN, INT32_MAX, Classic,
     "percentage of its time the desktop program sleeps between steps, 0 to 99"},
    {"OrganLoss", &TSettings::OrganLoss, nullptr, 0, 1, Classic,
     "chance that a division drops each copied organ of the child, so body plans shrink as well as grow"},
    {"PlantFloor", nullptr, &TSettings::PlantFloor, 0, INT32_MAX, Classic,
     "while fewer plants than this live, one sprouts each step at a random place near the origin"},
    {"CopySkip", &TSettings::CopySkip, nullptr, 0, 1, OpenEvolution,
     "chance that a division skips the organ copy and the new name (0: every division does both)"},
    {"FreshIds", &TSettings::FreshIds, nullptr, 0, 1, OpenEvolution,
     "chance that a copied organ gets an id of its own, which formulas can come to read"},
    {"FormulaMutation", &TSettings::FormulaMutation, nullptr, 0, 1, OpenEvolution,
     "chance, per engine and brain of a child, of one edit of its formula"},
    {"LightPatches", nullptr, &TSettings::LightPatches, 0, 1000, OpenEvolution,
     "sunlight falls only on this many discs around the origin (0: everywhere)"},
    {"PatchRadius", &TSettings::PatchRadius, nullptr, 0, 1e6, OpenEvolution, "the radius of each light patch"},
    {"PatchDistance", &TSettings::PatchDistance, nullptr, -1e6, 1e6, OpenEvolution,
     "the distance of the light patches from the origin"},
    {"PatchShade", &TSettings::PatchShade, nullptr, 0, 1, OpenEvolution,
     "the light between the patches, as a share of SunLight (0: dark)"},
    {"SeasonLength", nullptr, &TSettings::SeasonLength, 0, INT32_MAX, OpenEvolution,
     "the light swings over this many steps, the patches taking turns (0: no seasons)"},
    {"SeasonDepth", &TSettings::SeasonDepth, nullptr, 0, 1, OpenEvolution,
     "how far the light swings with the seasons, as a share of it"},
    {"PlantColors", nullptr, &TSettings::PlantColors, 0, 256, Diet,
     "plants come in this many colours (2 or more), each plant its parent's"},
    {"PlantColorChange", &TSettings::PlantColorChange, nullptr, 0, 1, Diet,
     "chance that a plant's child takes one of the plant colours at random"},
    {"ColorDiet", &TSettings::ColorDiet, nullptr, 0, 1, Diet,
     "an eater gains 1 - ColorDiet x (the difference of its red and blue from its food's) of each bite"},
    {"ColorMutation", nullptr, &TSettings::ColorMutation, 0, 255, Diet,
     "at division each colour byte of an animal child moves by up to this much"},
    {"PlantRooms", nullptr, &TSettings::PlantRooms, 0, 1, Ecology,
     "1: each plant kind divides while it has fewer plants than its share of MaxFood; animals are not counted"},
    {"DietWidth", &TSettings::DietWidth, nullptr, 0, 100, Ecology,
     "of a plant bite an eater keeps exp(-d^2 / 2w^2), d the colour difference and w this width (0: no diet)"},
    {"BiteWaste", &TSettings::BiteWaste, nullptr, 0, 1, Ecology,
     "under DietWidth, the share of the part of a plant bite not kept that the plant loses anyway"},
    {"MeatLoss", &TSettings::MeatLoss, nullptr, 0, 1, Ecology,
     "share of a bite of another animal that the eater does not keep (the bitten loses it all)"},
    {"SightDiet", &TSettings::SightDiet, nullptr, 0, 4, Coexistence,
     "eyes' green light weighed by how near each seen creature's red and blue are to the eye's owner's"},
    {"KindFloor", nullptr, &TSettings::KindFloor, 0, 100000, Coexistence,
     "while a plant kind has fewer plants than this, one of its plants sprouts each step"},
    {"DietShape", &TSettings::DietShape, nullptr, 0, 8, Breadth,
     "under DietWidth an eater keeps exp(-(d/w)^p / 2) of a plant bite, p this exponent (0: 2); "
     "below 2 an eater between two kinds keeps less than their specialists"},
    {"DietJump", &TSettings::DietJump, nullptr, 0, 1, Breadth,
     "chance that an animal child takes the red and blue of a plant kind drawn at random, its green kept"},
    {"PlantDrag", &TSettings::PlantDrag, nullptr, 0, 1, Rest,
     "share of its velocity a plant loses each step, so that a plant pushed aside comes to rest and grows again"},
    {"MeatSpared", &TSettings::MeatSpared, nullptr, 0, 1, Bites,
     "share of a bite of another animal that is never taken: the eater gains and the bitten loses only the rest"},
    {"KindPatches", nullptr, &TSettings::KindPatches, 0, 1, Habitats,
     "1: with LightPatches, plant kind k has light only on patch k (the patches taken in turn), where it is sown"},
};

const TKey* FindKey(const std::string& name) {
  for (const TKey& key : Keys)
    if (LowerAscii(name) == LowerAscii(key.Name)) return &key;
  return nullptr;
}

// The value for key, or an EConvertError naming the key and its bounds.
void CheckRange(const TKey& key, double value) {
  if (value >= key.Min && value <= key.Max) return;
  auto bound = [&](double v) { return key.Whole ? std::to_string(static_cast<int64_t>(v)) : FloatToText(v); };
  throw EConvertError(std::string(key.Name) + ": " +
                      (key.Whole ? std::to_string(static_cast<int64_t>(value)) : FloatToText(value)) +
                      " is out of range (" + bound(key.Min) + " to " + bound(key.Max) + ")");
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

std::pair<double, double> SettingsKeyRange(const std::string& name) {
  const TKey& key = KeyNamed(name);
  return {key.Min, key.Max};
}

std::string SettingsKeyMeaning(const std::string& name) { return KeyNamed(name).Meaning; }

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
  if (!std::isfinite(value))
    throw EConvertError(std::string(key.Name) + ": '" + text + "' is not a valid floating point value");
  if (key.Whole && (value != std::trunc(value) || value < INT32_MIN || value > INT32_MAX))
    throw EConvertError(std::string(key.Name) + ": '" + text + "' is not a valid integer value");
  CheckRange(key, value);
  if (key.Real) this->*key.Real = value;
  else this->*key.Whole = static_cast<int32_t>(value);
}

std::string TSettings::IniText() const {
  std::string text = "[VIVARION]\n";
  for (const TKey& key : Keys) {
    text += key.Name;
    text += '=';
    if (key.Whole) {
      text += std::to_string(this->*key.Whole);
    } else {
      text += ShortestText(this->*key.Real);
    }
    text += '\n';
  }
  return text;
}

void TSettings::Load() { Read(true); }

void TSettings::ReadOver(const std::string& fileName) {
  FileName = fileName;
  Read(false);
}

void TSettings::Read(bool absentAsZero) {
  // A fresh reader each time, so that edits made while the program runs are seen.
  const TIniFile ini(FileName);
  // A file without the section (another kind of file, a binary one) would give rules of zero.
  if (ini.Exists() && !ini.HasSection("VIVARION"))
    throw EVivarion(FileName + ": this is not a settings file: it has no [VIVARION] section");
  WithFileName(FileName, [&] {
    for (const TKey& key : Keys) {
      const std::optional<std::string> text = ini.Get("VIVARION", key.Name);
      if (!text && !absentAsZero) continue;
      // A bad value is reported with its key, so the user knows which line to fix.
      try {
        if (key.Real) {
          const double value = StrToFloat(text.value_or("0.0"));
          CheckRange(key, value);
          this->*key.Real = value;
        } else {
          const int32_t value = StrToInt(text.value_or("0"));
          CheckRange(key, value);
          this->*key.Whole = value;
        }
      } catch (const EConvertError& e) {
        if (std::string_view(e.what()).starts_with(key.Name)) throw;
        throw EConvertError(std::string(key.Name) + ": " + e.what());
      }
    }
  });
  UnknownKeys.clear();
  for (const std::string& spelt : ini.Keys("VIVARION"))
    if (std::none_of(std::begin(Keys), std::end(Keys),
                     [&](const TKey& k) { return LowerAscii(spelt) == LowerAscii(k.Name); }))
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

void ForEachHashedSetting(const TSettings& s, const std::function<void(double value, bool whole)>& put) {
  int last = Classic;
  for (const TKey& key : Keys)
    if ((key.Real ? s.*key.Real : s.*key.Whole) != 0) last = std::max(last, key.Family);
  // Within a family, the reals and then the whole numbers, as the hash has always taken them.
  for (int family = Classic; family <= last; ++family)
    for (const bool whole : {false, true})
      for (const TKey& key : Keys) {
        if (key.Family != family || (key.Whole != nullptr) != whole || key.Whole == &TSettings::NiceValue) continue;
        put(whole ? s.*key.Whole : s.*key.Real, whole);
      }
}

void TSettings::Open(const std::string& fileName) {
  FileName = fileName;
  Load();
}

void TSettings::Reset() { *this = TSettings(); }

void TSettings::Check() const {
  for (const TKey& key : Keys) CheckRange(key, key.Real ? this->*key.Real : this->*key.Whole);
}

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
