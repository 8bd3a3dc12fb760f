// The sensing and actuation pass in its plain form: every eye scans the whole population,
// every mouth walks the list, every formula is parsed afresh. It is the reference that
// the fast pass must match bit for bit.
#include "world/sensing.h"

#include <cmath>

#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/mouth.h"

namespace viv {

void ApplyEngine(TCreature& k, const TEngine& engine) {
  float thrust, torque;
  engine.GetThrust(k.Radius, thrust, torque);
  const double a = static_cast<double>(engine.Phi) + k.Heading;
  k.VX = static_cast<float>(k.VX - std::cos(a) * thrust);
  k.VY = static_cast<float>(k.VY - std::sin(a) * thrust);
  k.Spin = k.Spin + torque;
}

void MouthReach(const TCreature& k, const TMouth& mouth, float& qx, float& qy) {
  const double reach = (0.7 * mouth.Size + 1) * k.Radius;
  const double a = static_cast<double>(mouth.Phi) + k.Heading;
  qx = static_cast<float>(k.X + std::cos(a) * reach);
  qy = static_cast<float>(k.Y + std::sin(a) * reach);
}

void Bite(TCreature& k, TMouth& mouth, TCreature* victim) {
  // A creature without energy has no reach and takes nothing.
  if (victim == nullptr || k.Radius == 0) {
    mouth.SetIntake(0);
    return;
  }
  float bite = static_cast<float>(k.Energy() / BiteDivisor);
  if (victim->Energy() < bite) bite = victim->Energy();
  k.SetEnergy(k.Energy() + bite);
  victim->SetEnergy(victim->Energy() - bite);
  const float eaten = k.Energy();
  const float intake = static_cast<float>(IntakeScale * bite / eaten);
  mouth.SetIntake(std::isfinite(intake) ? intake : 0);
}

void UpdateParts(TCreature& k, TPasses passes) {
  auto update = [&] {
    for (TPart* part : k.Parts.Items) {
      if (passes == TPasses::Fast) part->Update();
      else if (part->Kind() == TPartKind::Engine) static_cast<TEngine*>(part)->UpdatePlain();
      else if (part->Kind() == TPartKind::Brain) static_cast<TBrain*>(part)->UpdatePlain();
      else part->Update();
    }
  };
  if (k.Origin.empty()) update();
  else WithFileName(k.Origin, update);
}

void TCreatureList::GatherLight(int32_t viewer, float x, float y, float direction, float width, float& red,
                                float& green, float& blue) const {
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
}

void TCreatureList::SenseAndActPlain() {
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
        case TPartKind::Engine: ApplyEngine(k, *static_cast<TEngine*>(part)); break;
        case TPartKind::Brain: break;
        case TPartKind::Mouth: {
          auto* mouth = static_cast<TMouth*>(part);
          float qx, qy;
          MouthReach(k, *mouth, qx, qy);
          Bite(k, *mouth, CreatureAt(qx, qy));
          break;
        }
      }
    }
  }
  for (TCreature* k : List) UpdateParts(*k, TPasses::Plain);
}

}  // namespace viv
