#include "config/mutate.h"

#include <algorithm>
#include <numbers>

#include "config/duck.h"
#include "config/random.h"

namespace viv {

int32_t MutateByte(int32_t value, double rate) {
  value &= 255;
  if (RandomReal() >= rate) return value;
  if (RandomInt(2) == 1) return value < 255 ? value + 1 : value;
  return value > 0 ? value - 1 : value;
}

double MutateUnit(double value, double rate) {
  if (RandomReal() >= rate) return value;
  double o = RandomOffset(150);
  return std::min(std::max(value + o / 1000, 0.0), 1.0);
}

double MutateAngle(double value, double rate) {
  if (RandomReal() >= rate) return value;
  double o1 = RandomOffset(30);
  double o2 = RandomOffset(30);
  double o3 = RandomOffset(30);
  double a = value + o1 / 1000 + o2 / 1000 + o3 / 1000;
  constexpr double twoPi = 2 * std::numbers::pi;
  if (a < 0) a += twoPi;
  if (a > twoPi) a -= twoPi;
  return a;
}

double MutateScale(double value, double rate) {
  if (RandomReal() >= rate) return value;
  return value * (1 + RandomOffset(10) / 100.0);
}

uint32_t MutateColor(uint32_t color, double rate) {
  uint32_t red = MutateByte(color & 255, rate);
  uint32_t green = MutateByte((color >> 8) & 255, rate);
  uint32_t blue = MutateByte((color >> 16) & 255, rate);
  return red + green * 256 + blue * 65536 + 0x2000000;
}

}  // namespace viv
