// Seeding the world: the built-in animal, animals from files, plants.
#include <memory>

#include "config/errors.h"
#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/mouth.h"
#include "rules/diet.h"
#include "world/world.h"

namespace viv {

TCreature* CreateAdam(TWorldContext& world) {
  TCreature* adam = new TCreature(world);
  adam->Name = "ADAM";
  adam->Vegetable = false;
  adam->Radius = 40;
  adam->MaxEnergy = 2000;
  adam->Color = 0x02005050;
  TPartList& p = adam->Parts;
  p.Add(new TBrain(adam, "Brain", 0, 0, 0, 1, ""));
  p.Add(new TEye(adam, "RightEye", 0.5235988f));
  p.Add(new TEye(adam, "LeftEye", -0.5235988f));
  p.Add(new TMouth(adam, "RightMouth", 0.18f));
  p.Add(new TMouth(adam, "LeftMouth", -0.18f));
  p.Add(new TEngine(adam, "MidEngine", 3.1415927f, 0, "RightEye.1*8 + LeftEye.1*8"));
  p.Add(new TEngine(adam, "RightEngine", 3.0115926f, -0.13f, "LeftEye.1*8+Brain.0*5"));
  p.Add(new TEngine(adam, "LeftEngine", 3.2715926f, 0.13f, "RightEye.1*8"));
  return adam;
}

void TWorld::Populate(int32_t width, int32_t height, const std::vector<std::string>& animalFiles,
                      const TPopulationCounts& counts) {
  // With light patches the world's life starts on them, else around the origin.
  Context.Sunlight.Update(Context.Rules, CurrentStep);
  auto place = [&](TCreature* c) {
    if (!Context.Sunlight.Patches().empty()) return PlaceOnAPatch(*c);
    // Whole pixels, as the classic world places them.
    // NOLINTNEXTLINE(bugprone-integer-division)
    c->SetX(static_cast<float>(Context.Random.Int(width / 2) - width / 4));
    // NOLINTNEXTLINE(bugprone-integer-division)
    c->SetY(static_cast<float>(Context.Random.Int(height / 2) - height / 4));
  };
  for (int32_t i = 0; i < counts.NumCreatures; ++i) {
    TCreature* c;
    if (!animalFiles.empty()) {
      auto read = std::make_unique<TCreature>(Context);
      read->LoadFromFile(animalFiles[i % animalFiles.size()]);
      read->Origin = animalFiles[i % animalFiles.size()];
      c = read.release();
    } else {
      c = CreateAdam(Context);
      // Under a narrow diet the built-in founders take the plant kinds' red and blue in turn,
      // so that each kind has eaters from the start (green stays what eyes see of them).
      const int32_t kinds = Context.Rules.PlantColors;
      if (kinds >= 2 && Context.Rules.DietWidth > 0) c->Color = WithKindOfFood(c->Color, i % kinds, kinds);
    }
    place(Add(c));
  }
  for (int32_t i = 0; i < counts.NumFood; ++i) place(Add(TCreature::CreateFood(Context)));
}

}  // namespace viv
