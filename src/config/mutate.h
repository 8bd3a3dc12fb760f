#pragma once
// Mutation primitives: each changes its value by a small random step with a probability
// equal to the rate, drawing one real from the world's stream first (so a rate of 0 still draws once).
#include <cstdint>

#include "config/random.h"

namespace viv {

int32_t MutateByte(TRandom& random, int32_t value, double rate);
double MutateUnit(TRandom& random, double value, double rate);
double MutateAngle(TRandom& random, double value, double rate);
double MutateScale(TRandom& random, double value, double rate);
// Mutates red, green and blue in turn of a colour (red in the low byte, as TColor of the
// drawing layer); the result always carries 0x02 in the top byte.
uint32_t MutateColor(TRandom& random, uint32_t color, double rate);

}  // namespace viv
