#pragma once
// The PlantRooms rule: MaxFood shared out among the plant kinds (PlantColors, one kind without
// it), each kind dividing only while it has fewer plants than its share, whatever the animals
// and the other kinds number. A kind cannot take another's place, and a kind grazed down
// grows back in its own room, so that its eaters feel their own grazing.
#include <cstdint>
#include <vector>

#include "config/settings.h"
#include "creature/creature.h"

namespace viv {

class TPlantRooms {
 public:
  // Counts the plants of each kind among the creatures, when the rule is set (else it is off).
  // Kept between steps, so that a step need not allocate.
  void Start(const std::vector<TCreature*>& creatures, const TSettings& rules);
  bool On() const { return !plants_.empty(); }
  // Whether a plant's kind has filled its room.
  bool Full(const TCreature& plant) const;
  // A plant of the world that dies, and a plant born into it.
  void Leave(const TCreature& plant);
  void Enter(const TCreature& plant);

 private:
  int32_t KindOf(const TCreature& plant) const;
  int32_t kinds_ = 1;
  std::vector<int32_t> plants_, room_;
};

}  // namespace viv
