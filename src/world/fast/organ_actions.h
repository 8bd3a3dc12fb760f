#pragma once
// Pieces of the sensing and actuation pass shared by its plain and fast forms: what eyes,
// engines and mouths do to one creature. They know creatures and organs, not the population.
#include <cmath>
#include <cstdint>

#include "creature/creature.h"
#include "world/fast/organ_directions.h"

namespace viv {

class TEngine;
class TMouth;

constexpr float EyeWidth = 0.5235988f;
constexpr double LightWeight = 0.05;
constexpr double BiteDivisor = 1000;
constexpr double IntakeScale = 500;

// What an organ does in the pass by itself, needing nothing of the other creatures: an engine
// pushes, a brain waits for the updates. Both forms of the pass call it for every organ but
// eyes and mouths, so a new kind of organ that acts on its own body acts here alone.
// With the creature's heading (the fast pass), directions come from it where they can.
void ActAlone(TCreature& k, TPart& part, const THeading* heading = nullptr);
// Pushes and turns the creature with the engine's thrust of the previous step.
void ApplyEngine(TCreature& k, TEngine& engine, const THeading* heading = nullptr);
// The point a mouth reaches, one 0.7-size-plus-one radii out along its angle.
void MouthReach(const TCreature& k, TMouth& mouth, float& qx, float& qy, const THeading* heading = nullptr);
// Moves a bite of energy from victim (may be nullptr) to eater and sets the intake.
void Bite(TCreature& k, TMouth& mouth, TCreature* victim);

// Updates every organ of the creature, engines and brains from their compiled formulas or,
// when plain, from the formula text. An error names the file the creature came from.
void UpdateParts(TCreature& k, bool plain);

// The contribution of one seen creature to an eye: colour byte times 0.05 / distance.
// Returns false when the creature is outside the cone or at the eye itself.
inline bool LightFrom(float ox, float oy, float x, float y, float cosD, float sinD, float w2, float& weight) {
  const float dx = ox - x, dy = oy - y;
  const float d = static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
  if (d == 0) return false;  // a creature at the eye adds nothing
  const double ux = dx / static_cast<double>(d) - cosD, uy = dy / static_cast<double>(d) - sinD;
  if (ux * ux + uy * uy >= w2) return false;
  weight = static_cast<float>(LightWeight / d);
  return weight < INFINITY;  // nearer than a weight can express: nothing, as at the eye itself
}

inline void AddLight(uint32_t color, float weight, float& red, float& green, float& blue) {
  red = static_cast<float>(red + static_cast<double>(color & 255) * weight);
  green = static_cast<float>(green + static_cast<double>((color >> 8) & 255) * weight);
  blue = static_cast<float>(blue + static_cast<double>((color >> 16) & 255) * weight);
}

}  // namespace viv
