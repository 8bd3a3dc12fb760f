#pragma once
// The physics and economy constants, read from the settings file and re-read while the
// world runs: the fourteen of the design and the keys of the rules added beside them. A
// world holds the values in force as its rules, replaced whole between steps.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace viv {

class TSettings {
 public:
  double Remming = 0;             // velocity damping
  double Brown = 0;               // Brownian kick size, in hundredths
  double PhiRemming = 0;          // spin damping
  double PhiBrown = 0;            // read and kept, used by nothing
  double ChemicalStabilizer = 0;  // read and kept, used by nothing
  double Gravity = 0;             // spring toward the origin
  double SunLight = 0;            // a resting plant's gain is 5 x SunLight per step
  double CostOfLiving = 0;        // overall factor of the upkeep
  double MinEnergy = 0;           // below this a creature dies
  double RadiusCost = 0;          // upkeep per unit of radius
  double PartsCost = 0;           // upkeep per unit of organ cost
  double CreatureCost = 0;        // fixed upkeep per creature
  int32_t MaxFood = 0;            // population from which plants stop dividing
  int32_t NiceValue = 0;          // percent of run time spent asleep

  // Rules beside the fourteen original keys; absent or 0, the world is as it always was.
  double OrganLoss = 0;    // chance that a division drops each copied organ of the child
  int32_t PlantFloor = 0;  // fewer plants than this: one sprouts near the origin each step
  // Rules of open evolution (rules/open_mutation, rules/division_rules, rules/sunlight).
  double CopySkip = 0;         // chance that a division skips the organ copy and the new name
  double FreshIds = 0;         // chance that the copied organ gets an id of its own
  double FormulaMutation = 0;  // chance that a division changes each formula of the child
  int32_t LightPatches = 0;    // sunlight falls only on this many discs around the origin
  double PatchRadius = 0;      // their radius
  double PatchDistance = 0;    // the distance of their centres from the origin
  double PatchShade = 0;       // the light between the patches, as a share of SunLight
  int32_t SeasonLength = 0;    // steps of one cycle of the seasons
  double SeasonDepth = 0;      // how far the light swings with the seasons, 0 to 1
  // Rules of diet (rules/diet): food of several kinds.
  int32_t PlantColors = 0;      // plants come in this many colours (2 or more), each its parent's
  double PlantColorChange = 0;  // chance that a plant's child takes a colour of them at random
  double ColorDiet = 0;         // share of a bite lost per unit of colour difference (0 to 1)
  int32_t ColorMutation = 0;    // a division moves each colour byte of an animal child by up to this
  // Rules of ecology (rules/diet, world/world_step): ways to live that exclude each other.
  int32_t PlantRooms = 0;  // 1: each plant kind divides in a room of its own, animals not counted
  double DietWidth = 0;    // a plant bite's share falls as a Gaussian of colour difference, this wide
  double BiteWaste = 0;    // under DietWidth: share of the part of a plant bite not kept that is lost
  double MeatLoss = 0;     // share of an animal bite that the eater does not keep
  // Rules of coexistence (rules/diet, world/plant_floor): kinds of food that eaters can tell apart.
  double SightDiet = 0;   // eyes' green light weighed by the likeness of what they see to their owner's colour
  int32_t KindFloor = 0;  // a plant kind with fewer plants than this: one of it sprouts each step
  // Rules of breadth (rules/diet): what a diet between two kinds costs.
  double DietShape = 0;  // under DietWidth: the exponent of the diet's curve (0: 2, a Gaussian)
  double DietJump = 0;   // chance that an animal child takes a plant kind's red and blue
  // Rules of rest (creature/creature): plants that animals push about.
  double PlantDrag = 0;  // share of its velocity a plant loses each step
  // Rules of bites (rules/diet): how much animals take of each other.
  double MeatSpared = 0;  // share of an animal bite never taken, by the eater or from the bitten
  // Rules of habitats (creature/creature, world/world_step): each plant kind in a place of its own.
  int32_t KindPatches = 0;  // 1: plant kind k has light only on light patch k, and is sown there

  std::string FileName;
  // Keys of the file's section that are none of the above (a misspelt "SunLigth"), as the
  // file spells them: ignored, as the design says, but worth a warning.
  std::vector<std::string> UnknownKeys;

  // Reads every key of section "VIVARION" of FileName in field order, storing each at
  // once. A missing file or key gives 0; a bad value or one out of the key's range throws
  // EConvertError naming the file and key, leaving that field and the later ones as they were.
  // A file without the section is refused (EVivarion): its rules would all be zero.
  void Load();
  // Sets FileName and loads.
  void Open(const std::string& fileName);
  // Sets FileName and reads the keys the file holds over the values held; the keys it lacks
  // keep theirs (a what-if file that names only what changes). Errors as Load's.
  void ReadOver(const std::string& fileName);
  // One key by its name (any letter case). Unknown keys throw EVivarion; a value that is not
  // finite, not whole for a whole-number key, or out of the key's range, throws EConvertError
  // naming the key.
  double Get(const std::string& key) const;
  void Set(const std::string& key, double value);
  // A settings file's text: section "VIVARION" with every key, each value written so that it
  // reads back to the same number.
  std::string IniText() const;
  // Throws EConvertError naming the first key whose value is out of its range (every way
  // settings come in checks them so: the file, Set, world files).
  void Check() const;
  // All fields back to zero, no file.
  void Reset();

 private:
  void Read(bool absentAsZero);
};

// The names of the keys, in the order a settings file is read.
std::vector<std::string> SettingsKeys();
// Whether the key (any letter case) is one of them, and whether it holds a whole number (false
// for a real or an unknown key).
bool IsSettingsKey(const std::string& key);
bool IsWholeSettingsKey(const std::string& key);
// The lowest and highest value the key takes (unknown keys throw EVivarion).
std::pair<double, double> SettingsKeyRange(const std::string& key);
// What the key does, in a line (unknown keys throw EVivarion).
std::string SettingsKeyMeaning(const std::string& key);

// The values a world's hash covers, in its order: put(value, whether the key is whole) for
// every key but NiceValue (which paces the window), the keys of rules added later only when
// they are in use, so that a world that does not use them hashes as before they existed.
void ForEachHashedSetting(const TSettings& settings, const std::function<void(double value, bool whole)>& put);

// The keys whose values differ between two settings, as "Brown 4 -> 2, OrganLoss 0.1 -> 0"
// (empty when none do). NiceValue, which only paces the window, is left out.
std::string SettingsDifferences(const TSettings& from, const TSettings& to);

// "FILE: unknown keys ignored: SunLigth, Foo", or empty when the settings have none.
std::string UnknownKeysNote(const TSettings& settings);

// The folder of the running executable, with a trailing "/".
std::string ExecutableFolder();
// "VIVARION.ini" beside the executable.
std::string SettingsFileName();

}  // namespace viv
