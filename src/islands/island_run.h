#pragma once
// One island's run, in step with the others: seeding or loading, steps, migrations, reports
// gathered at the first island, world files, and a common end when any island fails.
#include <ostream>

#include "islands/archipelago.h"
#include "islands/island_options.h"

namespace viv {

// Returns the exit status, the same at every island: 0 done, 1 an island failed (the first
// island has told which and why on err).
int RunIsland(const TIslandOptions& options, const TArchipelago& archipelago, std::ostream& out, std::ostream& err);

}  // namespace viv
