// The PlantFloor rule: while fewer plants live than the floor, one sprouts each step near the
// origin (on a light patch, where there are patches), so that grazing never ends the plants.
// KindFloor does the same for each plant kind: a kind grazed down keeps a seed stock.
#include <algorithm>
#include <vector>

#include "creature/grid.h"
#include "rules/diet.h"
#include "world/world.h"

namespace viv {

void TWorld::SproutPlants() {
  int32_t plants = 0;
  for (const TCreature* c : List) plants += c->Vegetable;
  if (plants >= Context.Rules.PlantFloor) return;
  Sprout(TCreature::CreateFood(Context));
}

void TWorld::Sprout(TCreature* plant) {
  // Over the area that seeding covers in the default window of 800 x 600.
  if (Context.Sunlight.Patches().empty()) {
    plant->SetX(static_cast<float>(Context.Random.Int(400) - 200));
    plant->SetY(static_cast<float>(Context.Random.Int(300) - 150));
  } else {
    PlaceOnAPatch(*plant);
  }
  Context.Grid.Add(plant, plant->X, plant->Y);
  Add(plant);
  ++Context.Flows.Sprouts;
}

void TWorld::SproutKinds() {
  const int32_t kinds = std::max(Context.Rules.PlantColors, 1);
  std::vector<int32_t> plants(static_cast<size_t>(kinds));
  for (const TCreature* c : List)
    if (c->Vegetable) ++plants[static_cast<size_t>(NearestPlantKind(c->Color, kinds))];
  for (int32_t k = 0; k < kinds; ++k) {
    if (plants[static_cast<size_t>(k)] >= Context.Rules.KindFloor) continue;
    TCreature* plant = TCreature::CreateFood(Context);
    plant->Color = PlantColor(k, kinds);
    Sprout(plant);
  }
}

}  // namespace viv
