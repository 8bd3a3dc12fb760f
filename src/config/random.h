#pragma once
// A random stream: each world has its own, and every random choice of that world draws
// from it, so a seed fixes a whole run and worlds in one process do not disturb each other.
#include <array>
#include <cstdint>

namespace viv {

using TRandomState = std::array<uint64_t, 4>;

class TRandom {
 public:
  // Uniform real in [0, 1).
  double Real() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  // Uniform integer in [0, n); 0 when n <= 0 (a draw all the same).
  int32_t Int(int32_t n);

  // Re-seeds the stream; the same seed gives the same sequence of draws.
  void Seed(uint64_t seed);

  // The stream's state, for world files and for tests that count draws.
  const TRandomState& State() const { return state_; }
  void SetState(const TRandomState& state) { state_ = state; }

 private:
  uint64_t Next();
  // xoshiro256**: small, fast and with a well-studied output.
  TRandomState state_ = {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull, 0x94D049BB133111EBull, 1};
};

// The seed in VIVARION_SEED when it holds a whole number, otherwise one from the clock.
uint64_t SeedFromEnvironment();

}  // namespace viv
