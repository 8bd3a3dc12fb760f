#include "creature/grid.h"

#include <algorithm>
#include <cmath>

namespace viv {

namespace {

// Room for a few creatures in every cell from the start, so that creatures wandering into
// new cells do not make the world step allocate.
constexpr size_t CellRoom = 8;

int CellIndex(float v) {
  double p = static_cast<double>(v) * CellScale;
  if (std::isnan(p)) return 0;
  if (p <= -GridHalfSize) return -GridHalfSize;
  if (p >= GridHalfSize) return GridHalfSize;
  return static_cast<int>(std::nearbyint(p));
}

const TGridCell NoCreatures;

}  // namespace

std::pair<int, int> CellOf(float x, float y) { return {CellIndex(x), CellIndex(y)}; }

void TGrid::MakeCells() {
  cells_.resize(static_cast<size_t>(GridSide) * GridSide);
  for (TGridCell& cell : cells_) cell.reserve(CellRoom);
}

const TGridCell& TGrid::Cell(int i, int j) const { return cells_.empty() ? NoCreatures : cells_[Index(i, j)]; }

void TGrid::Add(TCreature* creature, float x, float y) {
  auto [i, j] = CellOf(x, y);
  TGridCell& cell = Cell(i, j);
  if (std::find(cell.begin(), cell.end(), creature) == cell.end()) cell.push_back(creature);
}

void TGrid::Remove(TCreature* creature, float x, float y) {
  if (cells_.empty()) return;
  auto [i, j] = CellOf(x, y);
  TGridCell& cell = Cell(i, j);
  auto it = std::find(cell.begin(), cell.end(), creature);
  if (it != cell.end()) cell.erase(it);
}

void TGrid::Move(TCreature* creature, float oldX, float oldY, float newX, float newY) {
  if (CellOf(oldX, oldY) == CellOf(newX, newY)) return;
  Remove(creature, oldX, oldY);
  Add(creature, newX, newY);
}

void TGrid::Reset() {
  for (TGridCell& cell : cells_) cell.clear();
}

size_t TGrid::EntryCount() const {
  size_t n = 0;
  for (const TGridCell& cell : cells_) n += cell.size();
  return n;
}

}  // namespace viv
