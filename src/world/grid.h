#pragma once
// The program-wide spatial grid: 501 x 501 cells of 50 world units, each listing the
// creatures whose position falls in it. Positions beyond the border fall in border cells.
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
// The list of cell (I, J), both from -250 to 250.
TGridCell& GridCell(int i, int j);

void GridAdd(TCreature* creature, float x, float y);
void GridRemove(TCreature* creature, float x, float y);
void GridMove(TCreature* creature, float oldX, float oldY, float newX, float newY);
// The number of entries in all cells together.
size_t GridEntryCount();
// Empties every cell (the creatures are not touched).
void GridReset();

// GridQuery, which reads creatures' positions, is in world/grid_query.h: only the code that
// runs queries includes it, so that this header needs nothing of the creature.

}  // namespace viv
