#pragma once
// vivarion-islands --experiment: a study's runs shared out among the MPI ranks (run i to rank
// i mod ranks), each rank running its share --jobs at a time; the first rank writes the tables
// once every rank is done. The same study gives the same table however many ranks run it.
#include <ostream>

#include "islands/archipelago.h"
#include "islands/island_options.h"

namespace viv {

// Collective: every rank calls it. Returns the exit status (the same on every rank).
int RunStudyOverMpi(const TIslandOptions& options, const TArchipelago& archipelago, std::ostream& out,
                    std::ostream& err);

}  // namespace viv
