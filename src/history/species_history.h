#pragma once
// The history of the animal species of a world: when each species name appeared, from which
// species, how many it had at most, how many were born into it and when it died out. Plants
// ("APPEL") stay out of it. A name that comes back from another parent after dying out is a
// new emergence of that name (shown as NAME_2, NAME_3 ... in the tree).
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "world/world.h"

namespace viv {

struct TEmergence {
  std::string Name;
  int32_t Index = 1;  // 1 for the first emergence of the name, 2 for the next ...
  int64_t FirstStep = 0;
  int64_t LastStep = 0;  // the step it died out in (while it lives, see SpeciesCsv)
  int32_t Parent = -1;   // the emergence of its first member's parent's species; -1 for founders
  int64_t Peak = 0;
  int64_t Births = 0;
  int64_t Alive = 0;
  // Its name in the tree and the tables: NAME, or NAME_2 for a second emergence.
  std::string Label() const;
};

// Counts since the last report, and the measures of a report.
struct TSpeciesStats {
  double Diversity = 0;  // Shannon diversity of species among animals (natural logarithm)
  int64_t NewSpecies = 0, ExtinctSpecies = 0, Births = 0, Deaths = 0;
  double MeanOrgans = 0;
  int32_t MaxOrgans = 0;
  int64_t PersistentSpecies = 0;         // alive and first seen at least PersistenceSteps ago
  int64_t Arrivals = 0, Departures = 0;  // animals that came from or left for another world
  // The flows since the last report: plants that the plant floor sprouted, and the energy that
  // animals kept from bites of plants and of animals.
  int64_t FloorSprouts = 0;
  double FromPlants = 0, FromAnimals = 0;
  int32_t DietTypes = 0;  // diet types (or colour clusters) that hold 15 % of the animals or more
};

// The Shannon diversity of the species among a world's animals (natural logarithm).
double SpeciesDiversity(const TCreatureList& world);

class TSpeciesHistory {
 public:
  // A species counts as persistent once it has lived this many steps (the MODES-style change
  // and novelty measures count persistent lineages; 5,000 steps is a few animal generations).
  static constexpr int64_t PersistenceSteps = 5000;

  std::vector<TEmergence> Emergences;

  // The founding species of a world that starts now: its animals as they are.
  void Found(const TCreatureList& world, int64_t step);
  // The births and deaths of the step just made.
  void Record(const TWorld& world, int64_t step);
  // An animal that left the world (to another world) or came into it from one, at step.
  // A species that arrives where it does not live is a new emergence of its name, without a
  // parent here; one whose last member leaves has died out here.
  void Depart(const std::string& name, int64_t step);
  void Arrive(const std::string& name, int64_t step);
  // The measures of a report at step; with restart, the counts since the last report start
  // again. A run's last report off the reporting steps does not restart them, so that a world
  // saved after it and resumed gives the rows the run would have given.
  TSpeciesStats Report(const TCreatureList& world, int64_t step, bool restart = true);

  // CSV with header name,emergence,first_step,last_step,parent,peak,births,alive; a species
  // without a name is "unnamed", fields with commas or quotes are quoted.
  std::string SpeciesCsv() const;
  // The species tree in Newick format; several founders are joined under a root labelled
  // "founders". Labels that hold characters the format reserves are quoted.
  std::string Newick() const;

  // The history as bytes for world files, and back from a file of the given format (throws
  // EVivarion on damage).
  // The bytes for the world hash leave out the counts since the last report (births, deaths,
  // species, migrants), which depend on when reports were taken, and the founders' labels that
  // are file names.
  std::string Bytes(bool forHash = false) const;
  // A history whose steps lie outside 0..worldStep (the step of the world it belongs to), or
  // whose counts could not have been counted, is damaged.
  void FromBytes(std::string_view bytes, uint32_t version, int64_t worldStep = INT64_C(1) << 62);
  // Whether the living species of the history are those of the world's animals, with as many
  // members each. A history without any species (a world made without one) agrees with any.
  bool AgreesWith(const TCreatureList& world) const;

 private:
  int32_t Emerge(const std::string& name, int32_t parent, int64_t step);
  std::unordered_map<std::string, int32_t> current_;  // name -> its latest emergence
  int64_t newSpecies_ = 0, extinct_ = 0, births_ = 0, deaths_ = 0, arrivals_ = 0, departures_ = 0;
  int64_t sprouts_ = 0;
  double fromPlants_ = 0, fromAnimals_ = 0;
  int64_t lastStep_ = 0;  // the last step recorded: the last step alive of the living species
};

}  // namespace viv
