#pragma once

// Hands the memory of one chosen object, once freed, to the next allocation of the same size.
// glibc usually does so by itself, but not on every machine, and a sanitizer's quarantine never
// does: tests about a stale address use this to make the reuse certain. The executable that
// links address_recycler.cpp has its global operator new and delete replaced.

#include <cstddef>

namespace viv::test {

// The next `delete` of `address` keeps its memory for the next `new` of `size` bytes.
void RecycleOnce(const void* address, std::size_t size);

}  // namespace viv::test
