// What an organ does in the sensing and actuation pass, the same in its plain and fast forms.
#include "world/fast/organ_actions.h"

#include <cmath>

#include "config/errors.h"
#include "parts/brain.h"
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/mouth.h"
#include "rules/diet.h"

namespace viv {

void ActAlone(TCreature& k, TPart& part, const THeading* heading) {
  if (part.Kind() == TPartKind::Engine) ApplyEngine(k, static_cast<TEngine&>(part), heading);
}

namespace {

// float(base + cos x factor) (or sin), from a direction within DirectionError of the
// library's: the rounding error of the two operations is added to the bound.
bool SureMove(float base, double trig, double factor, float& out) {
  const double step = trig * factor, sum = base + step;
  return SureFloat(sum, DirectionError * std::fabs(factor) + (std::fabs(step) + std::fabs(sum)) * 0x1p-51, out);
}

}  // namespace

void ApplyEngine(TCreature& k, TEngine& engine, const THeading* heading) {
  float thrust, torque;
  engine.GetThrust(k.Radius, thrust, torque);
  float vx, vy;
  const TDirection d = heading ? heading->Of(engine.PhiTrig, engine.Phi) : TDirection{};
  if (!(d.Ok && SureMove(k.VX, d.Cos, -static_cast<double>(thrust), vx) &&
        SureMove(k.VY, d.Sin, -static_cast<double>(thrust), vy))) {
    const double a = static_cast<double>(engine.Phi) + k.Heading;
    vx = static_cast<float>(k.VX - std::cos(a) * thrust);
    vy = static_cast<float>(k.VY - std::sin(a) * thrust);
  }
  k.VX = vx, k.VY = vy;
  k.Spin = k.Spin + torque;
}

void MouthReach(const TCreature& k, TMouth& mouth, float& qx, float& qy, const THeading* heading) {
  const double reach = (0.7 * mouth.Size + 1) * k.Radius;
  const TDirection d = heading ? heading->Of(mouth.PhiTrig, mouth.Phi) : TDirection{};
  if (d.Ok && SureMove(k.X, d.Cos, reach, qx) && SureMove(k.Y, d.Sin, reach, qy)) return;
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
  // Under the rules of diet the eater gains only its share of the bite, and a plant may lose
  // less than the whole bite.
  const TSettings& rules = k.World->Rules;
  float gain = bite, lost = bite;
  if (rules.ColorDiet != 0 || rules.DietWidth > 0 || rules.MeatLoss > 0 || rules.MeatSpared > 0) {
    const TBiteShares shares = BiteShares(k.Color, victim->Color, victim->Vegetable, rules);
    gain = static_cast<float>(bite * shares.Kept);
    lost = static_cast<float>(bite * shares.Lost);
  }
  k.SetEnergy(k.Energy() + gain);
  victim->SetEnergy(victim->Energy() - lost);
  (victim->Vegetable ? k.World->Flows.FromPlants : k.World->Flows.FromAnimals) += gain;
  const float eaten = k.Energy();
  const float intake = static_cast<float>(IntakeScale * gain / eaten);
  mouth.SetIntake(std::isfinite(intake) ? intake : 0);
}

void UpdateParts(TCreature& k, bool plain) {
  TRandom& random = k.World->Random;
  auto update = [&] {
    for (TPart* part : k.Parts.Items) {
      if (plain) part->UpdatePlain(random);
      else part->Update(random);
    }
  };
  if (k.Origin.empty()) update();
  else WithFileName(k.Origin, update);
}

}  // namespace viv
