#include "world/world_check.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "config/errors.h"
#include "creature/grid.h"

namespace viv {

void CheckWorld(const TCreatureList& world, int64_t step) {
  size_t listedInOwnCells = 0;
  for (int32_t i = 0; i < world.Count(); ++i) {
    const TCreature* c = world.List[i];
    auto fail = [&](const char* what) {
      throw EVivarion("step " + std::to_string(step) + ": creature " + std::to_string(i) + " " + what);
    };
    if (!c->IsFinite() || !std::isfinite(c->Energy()) || !std::isfinite(c->MaxEnergy)) fail("is not finite");
    for (const TPart* p : c->Parts.Items) {
      if (!std::isfinite(p->Phi)) fail("has an organ whose place is not finite");
      for (int32_t k = 0; k < p->OutputCount(); ++k)
        if (!std::isfinite(p->Output(k))) fail("has an organ whose output is not finite");
    }
    auto [ci, cj] = CellOf(c->X, c->Y);
    const TGridCell& cell = world.Context.Grid.Cell(ci, cj);
    const auto listed = std::count(cell.begin(), cell.end(), c);
    if (listed > 1) fail("is listed twice in its grid cell");
    listedInOwnCells += static_cast<size_t>(listed);
  }
  const size_t entries = world.Context.Grid.EntryCount();
  if (entries != listedInOwnCells)
    throw EVivarion("step " + std::to_string(step) + ": the grid lists " + std::to_string(entries - listedInOwnCells) +
                    " entries that are not a living creature in the cell of its position");
}

}  // namespace viv
