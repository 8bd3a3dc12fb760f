#pragma once
// One world and what drives it: the world object of the programs. It owns the population
// (and through it the world's rules, random stream, serials and grid), the step count and
// the species history; the start-up the programs share, the world step with the put-back of
// a held creature, the figures, the hash and world files. The desktop program, the runner and
// the islands drive worlds only through it; several may live in one process, apart.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "history/species_history.h"
#include "history/taxa.h"
#include "sim/world_events.h"
#include "sim/world_file.h"
#include "world/world.h"
#include "world/world_figures.h"

namespace viv {

class TSimulation {
 public:
  // The most creatures the world may hold: a world seeded with more is refused, and a step
  // that leaves more throws EVivarion naming the keys that let it grow, rather than let
  // memory run out. Far above any world the settings make on purpose.
  int64_t CreatureLimit = 1'000'000;

  // The world's start-up: its rules from settingsFile (a bad value throws, naming the file
  // and key), its random stream seeded with seed or else from VIVARION_SEED or the clock.
  // Returns the seed used.
  uint64_t StartUp(const std::string& settingsFile, std::optional<uint64_t> seed);
  // The same with rules already read.
  uint64_t StartUp(const TSettings& rules, std::optional<uint64_t> seed);

  // The population, in its order: the programs read it here and change the world only
  // through the calls below.
  const TWorld& Population() const { return world_; }
  int64_t StepCount() const { return stepCount_; }
  // Which form of the sensing pass the world steps with (both give the same world).
  void SetPasses(TPasses passes) { world_.Passes = passes; }

  // The rules in force.
  const TSettings& Rules() const { return world_.Context.Rules; }
  // Replaces the rules whole; call between steps (a settings file read again, a world file's).
  void SetRules(const TSettings& rules);
  // The settings in force when the loaded world file was written (after LoadWorld).
  const TSettings& FileSettings() const { return fileSettings_; }

  // The histories of the animal species and of their taxa (with the measures of evolution).
  const TSpeciesHistory& History() const { return history_; }
  const TTaxonHistory& Taxa() const { return taxa_; }
  // A report of each: the figures since the last report (restart) or since the world's start.
  TSpeciesStats SpeciesReport(bool restart) { return history_.Report(world_, stepCount_, restart); }
  TEvolutionStats EvolutionReport(bool restart) { return taxa_.Report(stepCount_, restart); }
  // How long a taxon must live to count as persistent.
  void SetPersistence(int64_t steps) { taxa_.PersistenceSteps = steps; }

  // A new world over a window of width x height: the old one goes, the step count starts at 0
  // and serials at 1.
  // A file that cannot be read leaves an empty world and throws, naming it.
  void Populate(int32_t width, int32_t height, const std::vector<std::string>& animalFiles,
                const TPopulationCounts& counts);
  // Destroys every creature; the step count starts again.
  void Clear();
  // One world step; a held creature is put back where it was held. A world at the last step
  // that a world file holds (MaxStepCount) throws EVivarion instead.
  void Step();

  // Holds the creature of this serial in place (by the mouse) through the steps; 0 lets go.
  void Hold(uint64_t serial) { held_ = serial; }
  uint64_t Held() const { return held_; }
  // Puts the held creature at x, y, its grid entry with it; nothing when none is held or it
  // has died.
  void MoveHeld(float x, float y);
  // Up to count distinct animals drawn at random from the world's stream (a partial shuffle of
  // the animals in population order), as serials.
  std::vector<uint64_t> DrawAnimals(int32_t count);
  // Takes the creatures with these serials out of the world (to another world): the history
  // notes their departure; returns them with their full state as bytes.
  std::string Depart(const std::vector<uint64_t>& serials);
  // Puts the animal of an animal file's text (name: its file, for messages and as its species'
  // label until it divides) into the world at x, y, at rest, with the world's next serial. The
  // histories note it as they note an animal that arrives: it founds its species and taxon, or
  // joins the living taxon of its body plan. Returns its serial; a bad text throws, naming it,
  // and leaves the world as it was.
  uint64_t PutAnimal(const std::string& animalText, const std::string& name, float x, float y);
  // Removes a share of the animals, the plants or both, within region unless it is none: each
  // creature of those drawn for from the world's stream in population order, as a cull event
  // does. Returns how many went.
  int64_t Cull(double fraction, bool animals, bool plants, const std::optional<TRegion>& region);
  // Admits the creatures of bytes from another world where they were, each with a serial of
  // this world and its parent marked as of another world; the history notes their arrival.
  // Returns how many came.
  int32_t Admit(const std::string& bytes);

  // The world's scheduled events (a study's), which act at the end of each step that reaches
  // their step. Setting them checks each (EVivarion names the first that cannot act or whose
  // step has passed) and gives the keys they change at the world's step their values now.
  // They go with the world into its file and its hash.
  void SetEvents(const std::vector<TWorldEvent>& events);
  const std::vector<TWorldEvent>& Events() const { return events_; }

  TWorldFigures Figures() const { return CountWorld(world_); }
  uint64_t Hash() const;
  // Writes the world file atomically.
  void SaveWorld(const std::string& fileName) const;
  // Replaces the world with the file's (creatures, grid, generator, serial count, step count);
  // on an error nothing changes.
  void LoadWorld(const std::string& fileName);
  // The world file's bytes, and the world from such bytes (name: for messages), for worlds
  // kept in memory.
  std::string WorldBytes() const;
  void LoadWorldBytes(std::string_view bytes, const std::string& name);
  // The same unpacked (a world file's body), for a timeline's keyframes.
  std::string WorldBody() const;
  void LoadWorldBody(std::string_view body, const std::string& name);

  // Counts the changes made to the world other than by its own steps and events: rules that
  // differ, creatures held, moved, put in or taken out, a world populated, cleared or loaded.
  // A timeline learns from it where replaying the steps no longer gives the world.
  uint64_t Edits() const { return edits_; }

 private:
  friend struct TSimulationInside;  // the tests' way in (tests/support/inside.h)
  TWorld world_;
  int64_t stepCount_ = 0;
  uint64_t held_ = 0;        // serial of the creature held in place, 0 for none
  TSpeciesHistory history_;  // of the animal species, from the world's start
  TTaxonHistory taxa_;       // of the animals' taxa and the measures of evolution
  TSettings fileSettings_;
  std::vector<TWorldEvent> events_;
  uint64_t edits_ = 0;
  // Applies the events that act at the world's step.
  void ApplyEvents();
  // Takes a loaded world's state and histories.
  void Adopt(TLoadedWorld loaded);
};

}  // namespace viv
