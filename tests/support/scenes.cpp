#include "support/scenes.h"

namespace viv {

TSettings ShippedSettings() {
  TSettings settings;
  settings.Open(VIVARION_SHIPPED_SETTINGS);
  return settings;
}

void UseShippedSettings(TCreatureList& world) { world.Context.Rules = ShippedSettings(); }

void BuildScatteredWorld(TCreatureList& world, int32_t count, float side, uint64_t seed) {
  TWorldContext& context = world.Context;
  TRandom& random = context.Random;
  random.Seed(seed);
  for (int32_t i = 0; i < count; ++i) {
    TCreature* c = random.Int(5) == 0 ? CreateAdam(context) : TCreature::CreateFood(context);
    c->SetX(static_cast<float>((random.Real() - 0.5) * side));
    c->SetY(static_cast<float>((random.Real() - 0.5) * side));
    c->Heading = static_cast<float>(random.Real() * 6.283185307179586);
    world.Add(c);
    context.Grid.Add(c, c->X, c->Y);
  }
}

}  // namespace viv
