#pragma once
// The program's clock: milliseconds of a steady clock, which never wraps.
#include <chrono>
#include <cstdint>

namespace viv {

int64_t TickCount();
// The same count at a moment of that clock.
int64_t TickCountAt(std::chrono::steady_clock::time_point moment);

}  // namespace viv
