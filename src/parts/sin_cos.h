#pragma once
// The cosine and sine of an angle kept with it, computed again only when the angle changes: an
// organ's angle changes at birth and by hand, while its cosine is wanted every step. The
// values are the library's for that angle, so keeping them changes no result.
#include <bit>
#include <cmath>
#include <cstdint>

namespace viv {

struct TSinCos {
  double Cos = 0, Sin = 0;

  void For(float angle) {
    // Bit for bit, so that a NaN angle, never equal to itself, is not computed every time.
    if (std::bit_cast<uint32_t>(angle) == angleBits_) return;
    angleBits_ = std::bit_cast<uint32_t>(angle);
    Cos = std::cos(static_cast<double>(angle));
    Sin = std::sin(static_cast<double>(angle));
  }

 private:
  uint32_t angleBits_ = 0x7fc00001;  // a NaN no angle computation makes: the first call computes
};

}  // namespace viv
