#include "world/grid.h"

#include <algorithm>
#include <cmath>

namespace viv {

namespace {

// Room for a few creatures in every cell from the start, so that creatures wandering into
// new cells do not make the world step allocate.
constexpr size_t CellRoom = 8;

std::vector<TGridCell>& Cells() {
  static std::vector<TGridCell> cells = [] {
    std::vector<TGridCell> all(static_cast<size_t>(GridSide) * GridSide);
    for (TGridCell& cell : all) cell.reserve(CellRoom);
    return all;
  }();
  return cells;
}

int CellIndex(float v) {
  double p = static_cast<double>(v) * CellScale;
  if (std::isnan(p)) return 0;
  if (p <= -GridHalfSize) return -GridHalfSize;
  if (p >= GridHalfSize) return GridHalfSize;
  return static_cast<int>(std::nearbyint(p));
}

}  // namespace

std::pair<int, int> CellOf(float x, float y) { return {CellIndex(x), CellIndex(y)}; }

TGridCell& GridCell(int i, int j) {
  return Cells()[static_cast<size_t>(i + GridHalfSize) * GridSide + (j + GridHalfSize)];
}

void GridAdd(TCreature* creature, float x, float y) {
  auto [i, j] = CellOf(x, y);
  TGridCell& cell = GridCell(i, j);
  if (std::find(cell.begin(), cell.end(), creature) == cell.end()) cell.push_back(creature);
}

void GridRemove(TCreature* creature, float x, float y) {
  auto [i, j] = CellOf(x, y);
  TGridCell& cell = GridCell(i, j);
  auto it = std::find(cell.begin(), cell.end(), creature);
  if (it != cell.end()) cell.erase(it);
}

void GridMove(TCreature* creature, float oldX, float oldY, float newX, float newY) {
  if (CellOf(oldX, oldY) == CellOf(newX, newY)) return;
  GridRemove(creature, oldX, oldY);
  GridAdd(creature, newX, newY);
}

void GridReset() {
  for (TGridCell& cell : Cells()) cell.clear();
}

size_t GridEntryCount() {
  size_t n = 0;
  for (const TGridCell& cell : Cells()) n += cell.size();
  return n;
}

}  // namespace viv
