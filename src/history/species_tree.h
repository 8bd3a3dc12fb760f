#pragma once
// The species tree laid out in rows, as the observatory draws it: each emergence under its
// parent, depth first, children in the order they emerged.
#include <cstdint>
#include <vector>

#include "history/species_history.h"

namespace viv {

struct TTreeRow {
  int32_t Emergence;  // index into TSpeciesHistory::Emergences
  int32_t ParentRow;  // the row of its parent species, -1 for a founder
};

// The rows of the tree. With minSteps > 0 an extinct species that lived fewer steps is left
// out unless a species shown descends from it, so that the branches stay connected; with
// livingOnly, every extinct species is, which leaves the living lineages.
std::vector<TTreeRow> SpeciesTreeRows(const TSpeciesHistory& history, int64_t minSteps, bool livingOnly = false);

}  // namespace viv
