#pragma once
// Where an organ points, without a call to the library's cosine for every organ of every
// creature at every step. An organ at angle phi on a creature heading h points at phi + h. The
// library's cosines and sines of h (once per creature) and of phi (kept on the organ) give
// those of the sum by the angle-sum identities, within a few units in the last place of a
// double of the library's own value of the sum. Every use rounds its result to float: where
// all values within that error round to the same float, that float is the one the library's
// value gives; where they might not, the caller asks the library, as the plain pass does.
// So the world is the same bit for bit.
#include <cmath>
#include <cstdint>

#include "parts/sin_cos.h"

namespace viv {

// Far more than the error of the identities on the library's values (each within one unit in
// the last place): about 1e-15.
constexpr double DirectionError = 1e-14;

// x rounded to float, when every value within bound of x rounds to the same float (bit for
// bit: -0 and +0 differ); false when that is not certain or x is not finite.
inline bool SureFloat(double x, double bound, float& out) {
  if (!(std::fabs(x) < 1e300) || !(bound < 1e300)) return false;
  // The two subtractions below round too: half a unit of x's last place each way.
  const double margin = bound + std::fabs(x) * 0x1p-50 + 0x1p-1000;
  const float lo = static_cast<float>(x - margin), hi = static_cast<float>(x + margin);
  if (FloatBits(lo) != FloatBits(hi)) return false;
  out = lo;
  return true;
}

struct TDirection {
  double Cos = 0, Sin = 0;  // within DirectionError of the library's cos and sin
  bool Ok = false;          // false: ask the library
};

// A creature's heading with its cosine and sine.
class THeading {
 public:
  void Set(float heading) {
    h_ = heading;
    cos_ = std::cos(static_cast<double>(heading));
    sin_ = std::sin(static_cast<double>(heading));
  }

  // The direction double(phi) + h, the angle the organs' actions compute in double; organ keeps
  // the cosine and sine of phi.
  TDirection Of(TSinCos& organ, float phi) const {
    organ.For(phi);
    const double a = static_cast<double>(phi) + h_;
    // The sum of two floats is exact in double unless their exponents lie far apart: check.
    const double b = a - phi;
    if (!std::isfinite(a) || (phi - (a - b)) + (h_ - b) != 0) return {};
    return {organ.Cos * cos_ - organ.Sin * sin_, organ.Sin * cos_ + organ.Cos * sin_, true};
  }

  // The direction of float(phi + h), the angle an eye computes in single precision, as floats:
  // false when the rounding is not certain.
  bool EyeDirection(TSinCos& organ, float phi, float& cosD, float& sinD) const {
    const TDirection sum = Of(organ, phi);
    if (!sum.Ok) return false;
    // The single-precision sum is off the double one by e (exact in double); for small e the
    // Taylor terms below are exact far beyond DirectionError.
    const float d = phi + h_;
    const double e = static_cast<double>(d) - (static_cast<double>(phi) + h_);
    if (!(std::fabs(e) <= 1e-3)) return false;
    const double e2 = e * e;
    const double ce = 1 - e2 / 2 + e2 * e2 / 24, se = e - e * e2 / 6;
    const double c = sum.Cos * ce - sum.Sin * se, s = sum.Sin * ce + sum.Cos * se;
    return SureFloat(c, 2 * DirectionError, cosD) && SureFloat(s, 2 * DirectionError, sinD);
  }

 private:
  float h_ = 0;
  double cos_ = 1, sin_ = 0;
};

}  // namespace viv
