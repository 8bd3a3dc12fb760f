#include "creature/creature.h"

#include <cmath>
#include <limits>

#include "config/duck.h"
#include "rules/diet.h"

namespace viv {

TCreature::TCreature() : Serial(0), Parts(this) {}
TCreature::TCreature(TWorldContext& world) : World(&world), Serial(world.TakeSerial()), Parts(this) {}
TCreature::TCreature(TWorldContext& world, uint64_t serial) : World(&world), Serial(serial), Parts(this) {}

TCreature::~TCreature() {
  if (World) World->Grid.Remove(this, X, Y);
  FreeDistinct(Parts.Items);
}

TCreature* TCreature::CreateFood(TWorldContext& world) {
  TCreature* food = new TCreature(world);
  food->Radius = 10;
  food->MaxEnergy = 160;
  food->Color = 0x200A000;
  food->Vegetable = true;
  food->MutationRate = 0;
  food->Name = "APPEL";
  if (world.Rules.PlantColors >= 2) food->Color = RandomPlantColor(world.Random, world.Rules.PlantColors);
  return food;
}

std::string TCreature::SpeciesLabel() const {
  if (!Name.empty() || Origin.empty()) return Name;
  return Origin.substr(Origin.find_last_of("/\\") + 1);
}

void TCreature::SetEnergy(float energy) {
  Radius = energy >= 0 && std::isfinite(energy) ? static_cast<float>(std::sqrt(static_cast<double>(energy))) : 0;
}

float TCreature::Upkeep() const {
  const TSettings& rules = World->Rules;
  const double parts = Parts.TotalCost();
  return static_cast<float>((parts * rules.PartsCost + (Radius * rules.RadiusCost + rules.CreatureCost)) *
                            rules.CostOfLiving);
}

namespace {

// Brown rounded to a whole number, held inside the range RandomOffset takes.
int32_t KickRange(double brown) {
  if (!(brown < 2147483647.0)) return std::isnan(brown) ? 0 : 2147483647;
  return brown <= 1 ? 0 : static_cast<int32_t>(std::nearbyint(brown));
}

}  // namespace

void TCreature::Step() {
  const TSettings& rules = World->Rules;
  const float oldX = X, oldY = Y;
  SetX(X + VX);
  SetY(Y + VY);
  Heading = Heading + Spin;
  double vx = VX, vy = VY;
  // A plant grows only while it keeps still; under PlantDrag one that animals pushed aside
  // comes to rest within a few steps instead of drifting on and starving.
  if (Vegetable && rules.PlantDrag > 0) vx *= 1 - rules.PlantDrag, vy *= 1 - rules.PlantDrag;
  const float f = static_cast<float>(1 - (vx * vx + vy * vy) * rules.Remming);
  const int32_t n = KickRange(rules.Brown);
  VX = static_cast<float>(RandomOffset(World->Random, n) / 100.0 + vx * f);
  VY = static_cast<float>(RandomOffset(World->Random, n) / 100.0 + vy * f);
  Spin = static_cast<float>((1 - rules.PhiRemming) * Spin);
  double energy = Energy();
  if (Vegetable) {
    const double nvx = VX, nvy = VY;
    const TSunlight& sun = World->Sunlight;
    double light = rules.SunLight;
    if (const int32_t patch = KindPatch(true, Color, rules, sun.Patches().size()); patch >= 0)
      light *= sun.AtPatch(X, Y, patch);
    else if (sun.Varies()) light *= sun.At(X, Y);
    energy += light / (nvx * nvx + nvy * nvy + 0.2);
  }
  energy -= Upkeep();
  SetEnergy(static_cast<float>(energy));
  World->Grid.Move(this, oldX, oldY, X, Y);
}

bool TCreature::IsFinite() const {
  return std::isfinite(X) && std::isfinite(Y) && std::isfinite(VX) && std::isfinite(VY) && std::isfinite(Spin) &&
         std::isfinite(Heading) && std::isfinite(Radius);
}

}  // namespace viv
