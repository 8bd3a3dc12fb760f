#include "world/scenes.h"

#include "config/random.h"
#include "config/settings.h"
#include "world/grid.h"

namespace viv {

void UseTunedSettings() {
  Settings.Reset();
  Settings.Remming = 0.001;
  Settings.Brown = 4;
  Settings.PhiRemming = 0.1;
  Settings.Gravity = 0.00001;
  Settings.SunLight = 0.75;
  Settings.CostOfLiving = 0.0085;
  Settings.MinEnergy = 50;
  Settings.RadiusCost = 1;
  Settings.PartsCost = 1;
  Settings.CreatureCost = 1;
  Settings.MaxFood = 300;
}

void BuildScatteredWorld(TCreatureList& world, int32_t count, float side, uint64_t seed) {
  SeedRandom(seed);
  for (int32_t i = 0; i < count; ++i) {
    TCreature* c = RandomInt(5) == 0 ? CreateAdam() : TCreature::CreateFood();
    c->SetX(static_cast<float>((RandomReal() - 0.5) * side));
    c->SetY(static_cast<float>((RandomReal() - 0.5) * side));
    c->Heading = static_cast<float>(RandomReal() * 6.283185307179586);
    world.Add(c);
    GridAdd(c, c->X, c->Y);
  }
}

}  // namespace viv
