// The PlantFloor rule: while fewer plants live than the floor, one sprouts each step near the
// origin (on a light patch, where there are patches), so that grazing never ends the plants.
#include "creature/grid.h"
#include "world/world.h"

namespace viv {

void TWorld::SproutPlants() {
  int32_t plants = 0;
  for (const TCreature* c : List) plants += c->Vegetable;
  if (plants >= Context.Rules.PlantFloor) return;
  // Over the area that seeding covers in the default window of 800 x 600.
  TCreature* plant = TCreature::CreateFood(Context);
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

}  // namespace viv
