#pragma once
// A world's spatial grid: 501 x 501 cells of 50 world units, each listing the creatures
// whose position falls in it. Positions beyond the border fall in border cells.
#include <cstddef>
#include <utility>
#include <vector>

namespace viv {

class TCreature;

constexpr int GridHalfSize = 250;
constexpr int GridSide = 2 * GridHalfSize + 1;
constexpr double CellScale = 0.02;

using TGridCell = std::vector<TCreature*>;

// The cell indices (I, J) of a position: X x 0.02 and Y x 0.02 rounded, ties to even,
// clamped to -250..250. An infinite position gives a border cell, NaN the middle row.
std::pair<int, int> CellOf(float x, float y);

class TGrid {
 public:
  // The list of cell (I, J), both from -250 to 250.
  TGridCell& Cell(int i, int j) { return Cells()[Index(i, j)]; }
  const TGridCell& Cell(int i, int j) const;

  void Add(TCreature* creature, float x, float y);
  void Remove(TCreature* creature, float x, float y);
  void Move(TCreature* creature, float oldX, float oldY, float newX, float newY);
  // The number of entries in all cells together.
  size_t EntryCount() const;
  // Empties every cell (the creatures are not touched).
  void Reset();

 private:
  static size_t Index(int i, int j) {
    return static_cast<size_t>(i + GridHalfSize) * GridSide + static_cast<size_t>(j + GridHalfSize);
  }
  // The cells, made on first use: a world that never places a creature (one being read from
  // a file) costs nothing.
  std::vector<TGridCell>& Cells() {
    if (cells_.empty()) MakeCells();
    return cells_;
  }
  void MakeCells();
  std::vector<TGridCell> cells_;
};

// Queries, which read creatures' positions, are in world/grid_query.h: only the code that
// runs them includes it, so that this header needs nothing of the creature.

}  // namespace viv
