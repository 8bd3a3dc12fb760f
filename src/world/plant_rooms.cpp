#include "world/plant_rooms.h"

#include <algorithm>

#include "rules/diet.h"

namespace viv {

void TPlantRooms::Start(const std::vector<TCreature*>& creatures, const TSettings& rules) {
  plants_.clear();
  room_.clear();
  if (rules.PlantRooms <= 0) return;
  kinds_ = rules.PlantColors >= 2 ? rules.PlantColors : 1;
  // The rooms add up to MaxFood, the first kinds taking what does not share out evenly.
  const int32_t total = std::max(rules.MaxFood, 0);
  for (int32_t k = 0; k < kinds_; ++k) room_.push_back(total / kinds_ + (k < total % kinds_ ? 1 : 0));
  plants_.assign(static_cast<size_t>(kinds_), 0);
  for (const TCreature* c : creatures)
    if (c->Vegetable) Enter(*c);
}

int32_t TPlantRooms::KindOf(const TCreature& plant) const {
  return kinds_ > 1 ? NearestPlantKind(plant.Color, kinds_) : 0;
}

bool TPlantRooms::Full(const TCreature& plant) const {
  const auto k = static_cast<size_t>(KindOf(plant));
  return plants_[k] >= room_[k];
}

void TPlantRooms::Leave(const TCreature& plant) {
  if (On()) --plants_[static_cast<size_t>(KindOf(plant))];
}

void TPlantRooms::Enter(const TCreature& plant) {
  if (On()) ++plants_[static_cast<size_t>(KindOf(plant))];
}

}  // namespace viv
