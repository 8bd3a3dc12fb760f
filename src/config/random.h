#pragma once
// The program-wide random generator. Every random choice of the simulation draws from it,
// so a seed fixes a whole run.
#include <array>
#include <cstdint>

namespace viv {

using TRandomState = std::array<uint64_t, 4>;

// Uniform real in [0, 1).
double RandomReal();
// Uniform integer in [0, n); 0 when n <= 0.
int32_t RandomInt(int32_t n);

// Re-seeds the generator; the same seed gives the same sequence of draws.
void SeedRandom(uint64_t seed);
// Seeds from VIVARION_SEED when it holds a whole number, otherwise from the clock.
// Returns the seed used.
uint64_t SeedRandomFromEnvironment();

// The generator's state, so that tests can count draws and replay them.
TRandomState GetRandomState();
void SetRandomState(const TRandomState& state);

}  // namespace viv
