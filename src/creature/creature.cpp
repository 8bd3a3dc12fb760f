#include "creature/creature.h"

#include <cmath>
#include <limits>

#include "config/duck.h"
#include "config/settings.h"
#include "world/grid.h"

namespace viv {

namespace {

uint64_t nextSerial = 1;

}  // namespace

uint64_t NextCreatureSerial() { return nextSerial; }
void ResetCreatureSerials(uint64_t next) { nextSerial = next; }

TCreature::TCreature() : Serial(nextSerial++), Parts(this) {}
TCreature::TCreature(uint64_t serial) : Serial(serial), Parts(this) {}

TCreature::~TCreature() {
  GridRemove(this, X, Y);
  FreeDistinct(Parts.Items);
}

TCreature* TCreature::CreateFood() {
  TCreature* food = Create();
  food->Radius = 10;
  food->MaxEnergy = 160;
  food->Color = 0x200A000;
  food->Vegetable = true;
  food->MutationRate = 0;
  food->Name = "APPEL";
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
  const double parts = Parts.TotalCost();
  return static_cast<float>((parts * Settings.PartsCost + (Radius * Settings.RadiusCost + Settings.CreatureCost)) *
                            Settings.CostOfLiving);
}

namespace {

// Brown rounded to a whole number, held inside the range RandomOffset takes.
int32_t KickRange(double brown) {
  if (!(brown < 2147483647.0)) return std::isnan(brown) ? 0 : 2147483647;
  return brown <= 1 ? 0 : static_cast<int32_t>(std::nearbyint(brown));
}

}  // namespace

void TCreature::Step() {
  const float oldX = X, oldY = Y;
  SetX(X + VX);
  SetY(Y + VY);
  Heading = Heading + Spin;
  const double vx = VX, vy = VY;
  const float f = static_cast<float>(1 - (vx * vx + vy * vy) * Settings.Remming);
  const int32_t n = KickRange(Settings.Brown);
  VX = static_cast<float>(RandomOffset(n) / 100.0 + vx * f);
  VY = static_cast<float>(RandomOffset(n) / 100.0 + vy * f);
  Spin = static_cast<float>((1 - Settings.PhiRemming) * Spin);
  double energy = Energy();
  if (Vegetable) {
    const double nvx = VX, nvy = VY;
    energy += Settings.SunLight / (nvx * nvx + nvy * nvy + 0.2);
  }
  energy -= Upkeep();
  SetEnergy(static_cast<float>(energy));
  GridMove(this, oldX, oldY, X, Y);
}

bool TCreature::IsFinite() const {
  return std::isfinite(X) && std::isfinite(Y) && std::isfinite(VX) && std::isfinite(VY) && std::isfinite(Spin) &&
         std::isfinite(Heading) && std::isfinite(Radius);
}

}  // namespace viv
