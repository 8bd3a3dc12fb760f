#pragma once
// Queries of the spatial grid: a template so that the callback is inlined.
#include "creature/creature.h"
#include "creature/grid.h"

namespace viv {

// Calls callback(creature, other) for every other creature listed in the cells covering
// the rectangle whose position lies inside it, bounds included. Each cell is walked by
// index with its length re-read, so the callback may move creatures between cells.
template <class Callback>
void GridQuery(TGrid& grid, TCreature* creature, float x1, float y1, float x2, float y2, Callback&& callback) {
  auto [i1, j1] = CellOf(x1, y1);
  auto [i2, j2] = CellOf(x2, y2);
  for (int i = i1; i <= i2; ++i) {
    for (int j = j1; j <= j2; ++j) {
      TGridCell& cell = grid.Cell(i, j);
      for (size_t k = 0; k < cell.size(); ++k) {
        TCreature* other = cell[k];
        if (other == creature) continue;
        if (x1 <= other->X && other->X <= x2 && y1 <= other->Y && other->Y <= y2) callback(creature, other);
      }
    }
  }
}

}  // namespace viv
