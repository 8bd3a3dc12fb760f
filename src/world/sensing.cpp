// The sensing and actuation pass in its plain form: every eye scans the whole population,
// every mouth walks the list, every formula is parsed afresh. It is the reference that
// the fast pass must match bit for bit.
#include <cmath>

#include "parts/eye.h"
#include "parts/mouth.h"
#include "rules/diet.h"
#include "world/fast/organ_actions.h"
#include "world/fast/sensing_fast.h"
#include "world/world.h"

namespace viv {

void TWorld::GatherLight(int32_t viewer, float x, float y, float direction, float width, float& red, float& green,
                         float& blue) const {
  red = green = blue = 0;
  const float cosD = static_cast<float>(std::cos(static_cast<double>(direction)));
  const float sinD = static_cast<float>(std::sin(static_cast<double>(direction)));
  const float w2 = width * width;
  const int32_t count = Count();
  for (int32_t j = 0; j < count; ++j) {
    if (j == viewer) continue;
    const TCreature* o = List[j];
    float weight;
    if (LightFrom(o->X, o->Y, x, y, cosD, sinD, w2, weight)) AddLight(o->Color, weight, red, green, blue);
  }
  if (Context.Rules.SightDiet != 0)
    green = DietTunedGreen(List[viewer]->Color, red, green, blue, Context.Rules.SightDiet);
}

void TWorld::SenseAndActPlain() {
  const int32_t count = Count();
  for (int32_t i = 0; i < count; ++i) {
    TCreature& k = *List[i];
    for (TPart* part : k.Parts.Items) {
      switch (part->Kind()) {
        case TPartKind::Eye: {
          auto* eye = static_cast<TEye*>(part);
          const float d = eye->Phi + k.Heading;
          float r, g, b;
          GatherLight(i, k.X, k.Y, d, EyeWidth, r, g, b);
          eye->SetColors(r, g, b);
          break;
        }
        case TPartKind::Mouth: {
          auto* mouth = static_cast<TMouth*>(part);
          float qx, qy;
          MouthReach(k, *mouth, qx, qy);
          Bite(k, *mouth, CreatureAt(qx, qy));
          break;
        }
        default: ActAlone(k, *part);
      }
    }
  }
  for (TCreature* k : List) UpdateParts(*k, true);
}

void TWorld::SenseAndActFast() {
  if (!fast_) fast_ = std::make_unique<TFastSensing>();
  fast_->SenseAndAct(List);
}

void TWorld::GatherAllLight() {
  if (!fast_) fast_ = std::make_unique<TFastSensing>();
  fast_->GatherAllLight(List);
}

int64_t TWorld::PairsTested() const { return fast_ ? fast_->PairsTested.load() : 0; }
int64_t TWorld::PairsCulled() const { return fast_ ? fast_->PairsCulled.load() : 0; }

}  // namespace viv
