// Once a world has reached its size, a world step allocates nothing. This program counts
// every allocation, so it is a test binary of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "config/settings.h"
#include "creature/grid.h"
#include "support/scenes.h"
#include "world/world.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t n) {
  ++allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
// The replaced new takes its memory from malloc, so free is the matching release; GCC cannot
// see that the pair is replaced together and would warn.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace viv {
namespace {

TEST(Allocation, AStepOfASteadyWorldAllocatesNothing) {
  TWorld world;
  TSettings& rules = world.Context.Rules;
  rules = ShippedSettings();
  rules.MinEnergy = -1;  // nobody dies
  rules.MaxFood = 0;     // plants never divide
  BuildScatteredWorld(world, 3000, 3000, 5);
  for (TCreature* c : world.List) c->MaxEnergy = 1e30f;  // animals never divide either
  for (int i = 0; i < 50; ++i) world.WorldStep();        // buffers reach their size
  const long before = allocations.load();
  for (int i = 0; i < 20; ++i) world.WorldStep();
  EXPECT_EQ(allocations.load() - before, 0);
  world.Clear();
}

}  // namespace
}  // namespace viv
