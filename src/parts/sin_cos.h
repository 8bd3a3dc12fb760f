#pragma once
// The cosine and sine of an angle kept with it, computed again only when the angle changes: an
// organ's angle changes at birth and by hand, while its cosine is wanted every step. The
// values are the library's for that angle, so keeping them changes no result.
#include <cmath>
#include <cstdint>
#include <cstring>

namespace viv {

// A float's bits (std::bit_cast, which the browser's C++ library lacks).
inline uint32_t FloatBits(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

struct TSinCos {
  double Cos = 0, Sin = 0;

  void For(float angle) {
    // Bit for bit, so that a NaN angle, never equal to itself, is not computed every time.
    if (FloatBits(angle) == angleBits_) return;
    angleBits_ = FloatBits(angle);
    Cos = std::cos(static_cast<double>(angle));
    Sin = std::sin(static_cast<double>(angle));
  }

 private:
  uint32_t angleBits_ = 0x7fc00001;  // a NaN no angle computation makes: the first call computes
};

}  // namespace viv
