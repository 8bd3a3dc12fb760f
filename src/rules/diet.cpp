#include "rules/diet.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace viv {

namespace {

// The flag byte that every creature colour carries.
constexpr uint32_t ColorFlag = 0x2000000;
// The classic plant's green byte, and the radius of the circle of red and blue bytes.
constexpr uint32_t PlantGreen = 160;
constexpr double PlantReach = 80 * 1.4142135623730951;

uint32_t Byte(uint32_t color, int shift) { return (color >> shift) & 255; }

}  // namespace

int RedBlueDistance(uint32_t a, uint32_t b) {
  return std::abs(static_cast<int>(Byte(a, 0)) - static_cast<int>(Byte(b, 0))) +
         std::abs(static_cast<int>(Byte(a, 16)) - static_cast<int>(Byte(b, 16)));
}

uint32_t PlantColor(int32_t kind, int32_t kinds) {
  // Every kind keeps the classic green byte, so that eyes that steer by green find them all
  // alike; their red and blue bytes lie evenly on a circle about (80, 80) through (0, 0).
  constexpr double Pi = 3.14159265358979323846;
  const double angle = Pi * (1.25 + 2.0 * kind / std::max(kinds, 1));
  const auto level = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
  const uint32_t red = level(80 + PlantReach * std::cos(angle)), blue = level(80 + PlantReach * std::sin(angle));
  return red | PlantGreen << 8 | blue << 16 | ColorFlag;
}

uint32_t RandomPlantColor(TRandom& random, int32_t kinds) { return PlantColor(random.Int(kinds), kinds); }

double DietShare(uint32_t eater, uint32_t food, double colorDiet) {
  return std::max(0.0, 1 - colorDiet * RedBlueDistance(eater, food) / 510.0);
}

TBiteShares BiteShares(uint32_t eater, uint32_t food, bool plant, const TSettings& rules) {
  TBiteShares s;
  if (rules.ColorDiet != 0) s.Kept = DietShare(eater, food, rules.ColorDiet);
  if (plant && rules.DietWidth > 0) {
    // A Gaussian by default. Only a narrow one makes an eater halfway between two kinds gain
    // less of the two together than a specialist of either (a convex trade-off), and a narrow
    // one starves the eaters of a scarce kind. DietShape of 1 or less makes the curve convex at
    // every width: steep near the eater's own colour and flat far from it, so that a generalist
    // pays however wide the diet.
    const double d = RedBlueDistance(eater, food) / 510.0 / rules.DietWidth;
    s.Kept *= rules.DietShape > 0 ? std::exp(-0.5 * std::pow(d, rules.DietShape)) : std::exp(-0.5 * d * d);
    s.Lost = s.Kept + rules.BiteWaste * (1 - s.Kept);
  }
  if (!plant && rules.MeatLoss > 0) s.Kept *= 1 - rules.MeatLoss;
  if (!plant && rules.MeatSpared > 0) s.Kept *= 1 - rules.MeatSpared, s.Lost *= 1 - rules.MeatSpared;
  return s;
}

float DietTunedGreen(uint32_t owner, float red, float green, float blue, double strength) {
  constexpr double Centre = 80;
  const double weights = static_cast<double>(green) / PlantGreen;
  const double seenRed = static_cast<double>(red) - Centre * weights;
  const double seenBlue = static_cast<double>(blue) - Centre * weights;
  const double ownRed = static_cast<double>(Byte(owner, 0)) - Centre;
  const double ownBlue = static_cast<double>(Byte(owner, 16)) - Centre;
  const double likeness = (ownRed * seenRed + ownBlue * seenBlue) / (PlantReach * PlantReach);
  return static_cast<float>(std::max(0.0, static_cast<double>(green) + strength * PlantGreen * likeness));
}

int32_t NearestPlantKind(uint32_t color, int32_t kinds) {
  // The kinds' colours are asked for every plant at every step under some rules: kept, not
  // recomputed (each thread its own copy, as worlds step on several).
  thread_local std::vector<uint32_t> colours;
  thread_local int32_t known = 0;
  kinds = std::max(kinds, 1);
  if (known != kinds) {
    colours.clear();
    for (int32_t k = 0; k < kinds; ++k) colours.push_back(PlantColor(k, kinds));
    known = kinds;
  }
  int32_t nearest = 0;
  int best = 511;
  for (int32_t k = 0; k < kinds; ++k)
    if (const int d = RedBlueDistance(color, colours[static_cast<size_t>(k)]); d < best) best = d, nearest = k;
  return nearest;
}

int32_t KindPatch(bool plant, uint32_t color, const TSettings& rules, size_t patches) {
  if (rules.KindPatches == 0 || !plant || patches == 0) return -1;
  return NearestPlantKind(color, rules.PlantColors) % static_cast<int32_t>(patches);
}

uint32_t WithKindOfFood(uint32_t colour, int32_t kind, int32_t kinds) {
  constexpr uint32_t RedAndBlue = 0xFF00FF;
  return (colour & ~RedAndBlue) | (PlantColor(kind, kinds) & RedAndBlue);
}

uint32_t TakeKindOfFood(TRandom& random, uint32_t colour, int32_t kinds) {
  return WithKindOfFood(colour, random.Int(kinds), kinds);
}

uint32_t ShiftColor(TRandom& random, uint32_t color, int32_t step) {
  step = std::clamp(step, 0, 255);
  uint32_t shifted = color & ~0xFFFFFFu;
  for (int shift : {0, 8, 16}) {
    const int moved = static_cast<int>(Byte(color, shift)) + random.Int(2 * step + 1) - step;
    shifted |= static_cast<uint32_t>(std::clamp(moved, 0, 255)) << shift;
  }
  return shifted;
}

}  // namespace viv
