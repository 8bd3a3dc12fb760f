// What an organ does in the sensing and actuation pass, the same in its plain and fast forms.
#include "world/fast/organ_actions.h"

#include <cmath>

#include "config/errors.h"
#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/mouth.h"

namespace viv {

void ActAlone(TCreature& k, TPart& part) {
  if (part.Kind() == TPartKind::Engine) ApplyEngine(k, static_cast<const TEngine&>(part));
}

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

void UpdateParts(TCreature& k, bool plain) {
  TRandom& random = k.World->Random;
  auto update = [&] {
    for (TPart* part : k.Parts.Items) {
      if (!plain) part->Update(random);
      else if (part->Kind() == TPartKind::Engine) static_cast<TEngine*>(part)->UpdatePlain();
      else if (part->Kind() == TPartKind::Brain) static_cast<TBrain*>(part)->UpdatePlain(random);
      else part->Update(random);
    }
  };
  if (k.Origin.empty()) update();
  else WithFileName(k.Origin, update);
}

}  // namespace viv
