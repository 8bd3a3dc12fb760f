#include "config/random.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace viv {

namespace {

uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

uint64_t SplitMix(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

uint64_t TRandom::Next() {
  TRandomState& s = state_;
  const uint64_t result = Rotl(s[1] * 5, 7) * 9;
  const uint64_t t = s[1] << 17;
  s[2] ^= s[0];
  s[3] ^= s[1];
  s[1] ^= s[2];
  s[0] ^= s[3];
  s[2] ^= t;
  s[3] = Rotl(s[3], 45);
  return result;
}

int32_t TRandom::Int(int32_t n) {
  if (n <= 0) {
    Next();  // a draw is a draw, whatever the range
    return 0;
  }
  return static_cast<int32_t>(((Next() >> 32) * static_cast<uint64_t>(n)) >> 32);
}

void TRandom::Seed(uint64_t seed) {
  for (auto& word : state_) word = SplitMix(seed);
}

uint64_t SeedFromEnvironment() {
  uint64_t seed;
  const char* text = std::getenv("VIVARION_SEED");
  char* end = nullptr;
  if (text && *text && (seed = std::strtoull(text, &end, 10), *end == '\0')) return seed;
  return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
         static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

}  // namespace viv
