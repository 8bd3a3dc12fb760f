// The world step: its five passes in order.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_set>

#include "creature/grid.h"
#include "rules/diet.h"
#include "world/fast/sensing_fast.h"
#include "world/grid_query.h"
#include "world/world.h"

namespace viv {

TWorld::TWorld() = default;
TWorld::~TWorld() = default;

void TWorld::WorldStep() {
  Births.clear();
  Deaths.clear();
  Context.Flows = TStepFlows();
  Context.Sunlight.Update(Context.Rules, CurrentStep);
  SenseAndAct();
  const float maxRadius = StepAll();
  DeathsAndBirths();
  Collisions(maxRadius);
  Gravity();
  RemoveNonFinite();
  if (Context.Rules.PlantFloor > 0) SproutPlants();
  if (Context.Rules.KindFloor > 0) SproutKinds();
}

void TWorld::SenseAndAct() {
  if (Passes == TPasses::Plain) SenseAndActPlain();
  else SenseAndActFast();
}

float TWorld::StepAll() {
  float maxRadius = 0;
  const int32_t count = Count();
  for (int32_t i = 0; i < count; ++i) {
    TCreature* k = List[i];
    k->Step();
    if (k->Radius > maxRadius) maxRadius = k->Radius;
  }
  return maxRadius;
}

void TWorld::DeathsAndBirths() {
  // Walks from the last creature down, as a pass that deletes in place would: the dead are
  // marked and squeezed out at the end, newborns are appended in the order of their birth.
  // The count that MaxFood is compared with is the one such a pass would see.
  // Under PlantRooms each plant kind divides in a room of its own instead, counted likewise.
  const int32_t count = Count();
  int32_t current = count;
  plantRooms_.Start(List, Context.Rules);
  bool anyDead = false;
  newborns_.clear();
  for (int32_t i = count - 1; i >= 0; --i) {
    TCreature* k = List[i];
    if (!(k->Energy() >= Context.Rules.MinEnergy) || !k->IsFinite()) {
      NoteDeath(*k, k->IsFinite() ? TDeathCause::Energy : TDeathCause::NotFinite);
      if (k->Vegetable) plantRooms_.Leave(*k);
      delete k;
      List[i] = nullptr;
      anyDead = true;
      --current;
    } else if (k->Energy() > k->MaxEnergy) {
      if (k->Vegetable && (plantRooms_.On() ? plantRooms_.Full(*k) : current >= Context.Rules.MaxFood)) {
        k->SetEnergy(k->MaxEnergy);
      } else {
        TCreature* child = TCreature::CreateChild(*k);
        if (child->Vegetable) plantRooms_.Enter(*child);
        child->BirthStep = CurrentStep;
        newborns_.push_back(child);
        TBirth& birth = Births.emplace_back();
        birth.Parent = k->Serial, birth.Child = child->Serial, birth.Vegetable = child->Vegetable;
        birth.ParentName = k->SpeciesLabel(), birth.ChildName = child->SpeciesLabel();
        birth.ParentTaxon = k->Taxon, birth.ChildTaxon = child->Taxon, birth.Plan = child->Plan;
        ++current;
      }
    }
  }
  if (anyDead) SqueezeOutDead();
  List.insert(List.end(), newborns_.begin(), newborns_.end());
}

void TWorld::NoteDeath(const TCreature& k, TDeathCause cause) {
  TDeath& death = Deaths.emplace_back();
  death.Serial = k.Serial, death.Age = CurrentStep - k.BirthStep, death.Cause = cause;
  death.Name = k.SpeciesLabel(), death.Vegetable = k.Vegetable, death.Taxon = k.Taxon;
}

void TWorld::Cull(const std::vector<TCreature*>& chosen) {
  if (chosen.empty()) return;
  std::unordered_set<const TCreature*> dying(chosen.begin(), chosen.end());
  for (TCreature*& k : List) {
    if (!dying.count(k)) continue;
    NoteDeath(*k, TDeathCause::Culled);
    if (k->Vegetable) plantRooms_.Leave(*k);
    delete k;
    k = nullptr;
  }
  SqueezeOutDead();
}

void TWorld::SqueezeOutDead() { List.erase(std::remove(List.begin(), List.end(), nullptr), List.end()); }

void TWorld::RemoveNonFinite() {
  bool anyDead = false;
  for (int32_t i = Count() - 1; i >= 0; --i) {
    if (List[i]->IsFinite()) continue;
    NoteDeath(*List[i], TDeathCause::NotFinite);
    delete List[i];
    List[i] = nullptr;
    anyDead = true;
  }
  if (anyDead) SqueezeOutDead();
}

void TWorld::Collisions(float maxRadius) {
  const double m = maxRadius;
  auto collide = [this](TCreature* a, TCreature* b) { Collide(a, b); };
  for (int32_t i = Count() - 1; i >= 0; --i) {
    TCreature* k = List[i];
    const double reach = m + k->Radius;
    GridQuery(Context.Grid, k, static_cast<float>(k->X - reach), static_cast<float>(k->Y - reach),
              static_cast<float>(k->X + reach), static_cast<float>(k->Y + reach), collide);
  }
}

void TWorld::Gravity() {
  const double g = Context.Rules.Gravity;
  const TSunlight& sun = Context.Sunlight;
  // Each light patch holds the creatures nearest to it, as the origin holds them all without.
  for (int32_t i = Count() - 1; i >= 0; --i) {
    TCreature* k = List[i];
    double cx = 0, cy = 0;
    if (!sun.Patches().empty()) {
      const TLightPatch& p = sun.Patches()[sun.Nearest(k->X, k->Y)];
      cx = p.X, cy = p.Y;
    }
    k->VX = static_cast<float>(k->VX - (k->X - cx) * g);
    k->VY = static_cast<float>(k->VY - (k->Y - cy) * g);
  }
}

void TWorld::PlaceOnAPatch(TCreature& creature) {
  const std::vector<TLightPatch>& patches = Context.Sunlight.Patches();
  // A plant whose kind has a patch of its own (KindPatches) is sown there; the rest on any.
  int32_t patch = KindPatch(creature.Vegetable, creature.Color, Context.Rules, patches.size());
  if (patch < 0) patch = Context.Random.Int(static_cast<int32_t>(patches.size()));
  const TLightPatch& p = patches[static_cast<size_t>(patch)];
  const double angle = 2 * std::numbers::pi * Context.Random.Real();
  const double r = Context.Sunlight.PatchRadius() * std::sqrt(Context.Random.Real());
  creature.SetX(static_cast<float>(p.X + r * std::cos(angle)));
  creature.SetY(static_cast<float>(p.Y + r * std::sin(angle)));
}

namespace {

void PushAway(TGrid& grid, TCreature* c, float contactX, float contactY, float f) {
  const float oldX = c->X, oldY = c->Y;
  c->X = c->X + static_cast<float>((static_cast<double>(c->X) - contactX) * f);
  c->Y = c->Y + static_cast<float>((static_cast<double>(c->Y) - contactY) * f);
  grid.Move(c, oldX, oldY, c->X, c->Y);
}

// Two touching creatures (dx, dy: a's place less b's; sumR: their radii together) share their
// momentum and are pushed apart from the point of contact.
void Bounce(TGrid& grid, TCreature* a, TCreature* b, double dx, double dy, double sumR) {
  // Energy is the mass. A body whose energy overflows a float is weighed by its radius in
  // double precision; two bodies whose energies both underflow to 0 share equal halves.
  const float ea = a->Energy(), eb = b->Energy();
  double weight;
  if (!std::isfinite(ea) || !std::isfinite(eb)) {
    const double ra = a->Radius, rb = b->Radius;
    weight = ra * ra / (ra * ra + rb * rb);
  } else if (ea == 0 && eb == 0) {
    weight = 0.5;
  } else {
    weight = static_cast<double>(ea) / (static_cast<double>(ea) + eb);
  }
  const float w = static_cast<float>(weight);
  const float u = static_cast<float>(1.0 - w);
  const float vx = static_cast<float>(static_cast<double>(w) * a->VX + static_cast<double>(u) * b->VX);
  const float vy = static_cast<float>(static_cast<double>(w) * a->VY + static_cast<double>(u) * b->VY);
  a->VX = b->VX = vx;
  a->VY = b->VY = vy;

  const float t = static_cast<float>(a->Radius / sumR);
  const float t1 = static_cast<float>(1.0 - t);
  const float contactX = static_cast<float>(static_cast<double>(a->X) * t1 + static_cast<double>(b->X) * t);
  const float contactY = static_cast<float>(static_cast<double>(a->Y) * t1 + static_cast<double>(b->Y) * t);
  float dist = static_cast<float>(std::sqrt(dx * dx + dy * dy));
  if (dist < 0.001f) dist = 0.001f;
  const float f = static_cast<float>(sumR / dist - 0.99);
  PushAway(grid, a, contactX, contactY, f);
  PushAway(grid, b, contactX, contactY, f);
}

}  // namespace

// Small, so that the collision walk inlines it: most creatures a query finds are not touching.
void TWorld::Collide(TCreature* a, TCreature* b) {
  const double dx = static_cast<double>(a->X) - b->X, dy = static_cast<double>(a->Y) - b->Y;
  const double sumR = static_cast<double>(a->Radius) + b->Radius;
  if (dx * dx + dy * dy < sumR * sumR) Bounce(Context.Grid, a, b, dx, dy, sumR);
}

}  // namespace viv
