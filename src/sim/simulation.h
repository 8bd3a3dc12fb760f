#pragma once
// One world and what drives it: the start-up the programs share, the world step with the
// put-back of a held creature, the step count, the figures, the hash and world files. The
// desktop program and the runner drive worlds only through it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "history/species_history.h"
#include "world/creature_list.h"
#include "world/world_figures.h"

namespace viv {

class TSimulation {
 public:
  TCreatureList World;  // the population, in its order
  int64_t StepCount = 0;
  uint64_t Held = 0;  // serial of the creature held in place (by the mouse), 0 for none
  TSpeciesHistory History;  // of the animal species, from the world's start
  // The settings in force when the loaded world file was written (after LoadWorld).
  TSettings FileSettings;

  // The program's start-up: the settings from settingsFile (a bad value throws, naming the
  // file and key), an empty grid, the generator seeded with seed or else from VIVARION_SEED
  // or the clock, and threads worker threads (0 leaves one per core).
  static void StartUp(const std::string& settingsFile, std::optional<uint64_t> seed, int threads);

  // A new world over a window of width x height: the old one goes, the step count starts at 0
  // and serials at 1.
  // A file that cannot be read leaves an empty world and throws, naming it.
  void Populate(int32_t width, int32_t height, const std::vector<std::string>& animalFiles,
                const TPopulationCounts& counts);
  // Destroys every creature; the step count starts again.
  void Clear();
  // One world step; a held creature is put back where it was held.
  void Step();

  // Puts the held creature (by the mouse) at x, y, its grid entry with it; nothing when none
  // is held or it has died.
  void MoveHeld(float x, float y);
  // Takes the creatures with these serials out of the world (to another world): the history
  // notes their departure; returns them with their full state as bytes.
  std::string Depart(const std::vector<uint64_t>& serials);
  // Admits the creatures of bytes from another world where they were, each with a serial of
  // this world and its parent marked as of another world; the history notes their arrival.
  // Returns how many came.
  int32_t Admit(const std::string& bytes);

  TWorldFigures Figures() const { return CountWorld(World); }
  uint64_t Hash() const;
  // Writes the world file atomically.
  void SaveWorld(const std::string& fileName) const;
  // Replaces the world with the file's (creatures, grid, generator, serial count, step count);
  // on an error nothing changes.
  void LoadWorld(const std::string& fileName);
};

}  // namespace viv
