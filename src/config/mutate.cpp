#include "config/mutate.h"

#include <algorithm>
#include <numbers>

#include "config/duck.h"
#include "config/random.h"

namespace viv {

int32_t MutateByte(TRandom& random, int32_t value, double rate) {
  value &= 255;
  if (random.Real() >= rate) return value;
  if (random.Int(2) == 1) return value < 255 ? value + 1 : value;
  return value > 0 ? value - 1 : value;
}

double MutateUnit(TRandom& random, double value, double rate) {
  if (random.Real() >= rate) return value;
  double o = RandomOffset(random, 150);
  return std::min(std::max(value + o / 1000, 0.0), 1.0);
}

double MutateAngle(TRandom& random, double value, double rate) {
  if (random.Real() >= rate) return value;
  double o1 = RandomOffset(random, 30);
  double o2 = RandomOffset(random, 30);
  double o3 = RandomOffset(random, 30);
  double a = value + o1 / 1000 + o2 / 1000 + o3 / 1000;
  constexpr double twoPi = 2 * std::numbers::pi;
  if (a < 0) a += twoPi;
  if (a > twoPi) a -= twoPi;
  return a;
}

double MutateScale(TRandom& random, double value, double rate) {
  if (random.Real() >= rate) return value;
  return value * (1 + RandomOffset(random, 10) / 100.0);
}

uint32_t MutateColor(TRandom& random, uint32_t color, double rate) {
  uint32_t red = MutateByte(random, color & 255, rate);
  uint32_t green = MutateByte(random, (color >> 8) & 255, rate);
  uint32_t blue = MutateByte(random, (color >> 16) & 255, rate);
  return red + green * 256 + blue * 65536 + 0x2000000;
}

}  // namespace viv
