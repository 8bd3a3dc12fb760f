#include "config/random.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace viv {

namespace {

// xoshiro256**: small, fast and with a well-studied output.
TRandomState state = {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull, 0x94D049BB133111EBull, 1};

uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

uint64_t Next() {
  const uint64_t result = Rotl(state[1] * 5, 7) * 9;
  const uint64_t t = state[1] << 17;
  state[2] ^= state[0];
  state[3] ^= state[1];
  state[1] ^= state[2];
  state[0] ^= state[3];
  state[2] ^= t;
  state[3] = Rotl(state[3], 45);
  return result;
}

uint64_t SplitMix(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

double RandomReal() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

int32_t RandomInt(int32_t n) {
  if (n <= 0) {
    Next();  // a draw is a draw, whatever the range
    return 0;
  }
  return static_cast<int32_t>(((Next() >> 32) * static_cast<uint64_t>(n)) >> 32);
}

void SeedRandom(uint64_t seed) {
  for (auto& word : state) word = SplitMix(seed);
}

uint64_t SeedRandomFromEnvironment() {
  uint64_t seed;
  const char* text = std::getenv("VIVARION_SEED");
  char* end = nullptr;
  if (text && *text && (seed = std::strtoull(text, &end, 10), *end == '\0')) {
    SeedRandom(seed);
    return seed;
  }
  seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
         static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  SeedRandom(seed);
  return seed;
}

TRandomState GetRandomState() { return state; }
void SetRandomState(const TRandomState& s) { state = s; }

}  // namespace viv
