#pragma once
// The fourteen physics and economy constants, read from the settings file and re-read
// while the world runs.
#include <cstdint>
#include <string>

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

  std::string FileName;

  // Reads every key of section "VIVARION" of FileName in field order, storing each at
  // once. A missing file or key gives 0; a bad value throws EConvertError naming the
  // file, leaving that field and the later ones as they were.
  void Load();
  // Sets FileName and loads.
  void Open(const std::string& fileName);
  // All fields back to zero, no file.
  void Reset();
};

// The program-wide settings, read at the moment of use and never copied.
extern TSettings Settings;

// The folder of the running executable, with a trailing "/".
std::string ExecutableFolder();
// "VIVARION.ini" beside the executable.
std::string SettingsFileName();

}  // namespace viv
