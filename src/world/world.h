#pragma once
// The world: its population (a TCreatureList) and what happens to it in a step, pass by pass:
// sensing and actuation, the creatures' own steps, deaths and births, collisions, gravity.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "world/creature_list.h"
#include "world/plant_rooms.h"
#include "world/population_file.h"

namespace viv {

struct TFastSensing;

// A division of the last step: the parent, the child, and their species names (the child's
// may be a new one).
struct TBirth {
  uint64_t Parent = 0, Child = 0;
  std::string ParentName, ChildName;
  bool Vegetable = false;
  // The taxa of an animal birth (when they differ the child founded its taxon) and the child's
  // body plan.
  uint64_t ParentTaxon = 0, ChildTaxon = 0;
  uint64_t Plan = 0;
};

// Why a creature died.
enum class TDeathCause { Energy, NotFinite, Culled };

// A death of the last step: energy below MinEnergy, or a state no longer finite.
struct TDeath {
  uint64_t Serial = 0;
  int64_t Age = 0;  // in steps
  TDeathCause Cause = TDeathCause::Energy;
  std::string Name;
  bool Vegetable = false;
  uint64_t Taxon = 0;
};

// The two forms of the sensing and actuation pass. Plain: every eye scans the whole list
// and formulas are parsed afresh, as the design states them. Fast: eyes in parallel vector
// batches, mouths through an index, compiled formulas.
enum class TPasses { Fast, Plain };

class TWorld : public TCreatureList {
 public:
  TWorld();
  ~TWorld();

  // The number of the step under way (set by whoever counts steps; births take it).
  int64_t CurrentStep = 0;
  // What the last WorldStep did, in the order it happened; kept with their room between steps
  // so that a steady world does not allocate.
  std::vector<TBirth> Births;
  std::vector<TDeath> Deaths;

  // Which form of the sensing pass runs: both give bit-identical worlds.
  TPasses Passes = TPasses::Fast;

  // One world step: sensing and actuation, own steps, deaths and births, collisions, gravity
  // (then the removal of any creature those made non-finite).
  void WorldStep();
  // The passes of a world step, each callable on its own.
  void SenseAndAct();
  float StepAll();  // returns the largest radius after the steps
  void DeathsAndBirths();
  void Collisions(float maxRadius);
  void Gravity();
  // Hostile settings can overflow a push or the pull of gravity to infinity: such creatures
  // die at the end of the step, so that between steps every creature is finite.
  void RemoveNonFinite();
  // The PlantFloor rule: while fewer plants live than the floor, one sprouts each step at a
  // random place near the origin.
  void SproutPlants();
  void SproutKinds();
  // A new plant near the origin (on a light patch, where there are patches), into the world.
  void Sprout(TCreature* plant);
  // Sets the creature at a random place on a random light patch (with LightPatches).
  void PlaceOnAPatch(TCreature& creature);
  // Removes these creatures (listed in the world's order) as deaths of the step under way: a
  // catastrophe that a study schedules.
  void Cull(const std::vector<TCreature*>& chosen);
  // The collision callback: merges the velocities of an overlapping pair and pushes it apart.
  void Collide(TCreature* a, TCreature* b);

  // The red, green and blue light an eye at (x, y) looking along direction receives from
  // every creature but the viewer.
  void GatherLight(int32_t viewer, float x, float y, float direction, float width, float& red, float& green,
                   float& blue) const;

  // Seeds the world: NumCreatures animals (the files used in turn, or the built-in animal
  // when there are none) then NumFood plants, scattered over half the window around the
  // origin. A file that cannot be read stops the seeding with an error naming it.
  void Populate(int32_t width, int32_t height, const std::vector<std::string>& animalFiles,
                const TPopulationCounts& counts);

  // Every eye's light at once, as the fast pass gathers it.
  void GatherAllLight();
  // Eye-creature pairs the fast pass tested exactly, and those it proved invisible.
  int64_t PairsTested() const;
  int64_t PairsCulled() const;

 private:
  void SenseAndActPlain();
  void SenseAndActFast();
  // Closes the gaps that destroyed creatures left as null entries, keeping the order.
  void SqueezeOutDead();
  void NoteDeath(const TCreature& k, TDeathCause cause);
  std::unique_ptr<TFastSensing> fast_;
  std::vector<TCreature*> newborns_;  // kept between steps so that a step need not allocate
  TPlantRooms plantRooms_;
};

}  // namespace viv
