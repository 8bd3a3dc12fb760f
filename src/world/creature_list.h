#pragma once
// The population: an ordered list of creatures that owns them, with the context they reach of
// their world. Order is behaviour: creatures sense, step, are hit-tested and are drawn in list
// order. What the world does with them, step by step, is TWorld's (world/world.h).
#include <cstdint>
#include <vector>

#include "creature/creature.h"

namespace viv {

class TCreatureList {
 public:
  TCreatureList();
  // Destroys the creatures still listed.
  ~TCreatureList();
  TCreatureList(const TCreatureList&) = delete;
  TCreatureList& operator=(const TCreatureList&) = delete;

  // The world's rules, random stream, serial counter and grid, which its creatures reach
  // through TCreature::World. Declared first, so that it outlives the creatures.
  TWorldContext Context;
  std::vector<TCreature*> List;

  int32_t Count() const { return static_cast<int32_t>(List.size()); }
  TCreature* Add(TCreature* creature);
  // The creature at index; EListError "List index out of bounds (%d)" outside the list.
  TCreature* Items(int32_t index) const;
  // The living creature with this serial, or nullptr once it has died.
  TCreature* FindSerial(uint64_t serial) const;
  // The first creature in list order whose disc strictly contains the point, or nullptr.
  TCreature* CreatureAt(float x, float y) const;
  // Destroys every creature and empties the list.
  void Clear();
  // Takes the creature out of the list and destroys it (it leaves its grid cell).
  void Remove(const TCreature* creature);
};

// The built-in animal "ADAM", made in world.
TCreature* CreateAdam(TWorldContext& world);

}  // namespace viv
