#pragma once
// Angles as the windows show them: degrees from 0 up to 360, whatever turn a file or a
// mutation left in the radians the world keeps (-2 and 358 are the same direction).
#include <cmath>
#include <numbers>

namespace viv {

inline double ShownDegrees(double radians) {
  const double degrees = std::fmod(radians * 180 / std::numbers::pi, 360.0);
  return degrees < 0 ? degrees + 360 : degrees;
}

// Degrees rounded to whole ones, 360 read as 0.
inline int WholeDegrees(double radians) {
  const int whole = static_cast<int>(std::lround(ShownDegrees(radians)));
  return whole == 360 ? 0 : whole;
}

inline double DegreesToRadians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace viv
