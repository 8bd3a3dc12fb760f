#include "support/scenes.h"

#include "config/random.h"
#include "config/settings.h"
#include "world/grid.h"

namespace viv {

void UseShippedSettings() {
  Settings.Reset();
  Settings.Open(VIVARION_SHIPPED_SETTINGS);
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
