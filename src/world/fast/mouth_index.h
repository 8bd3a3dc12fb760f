#pragma once
// Finds the creature at a point as CreatureAt does (the first in list order whose disc
// strictly contains it) through a grid of the creatures' centres instead of a walk of the
// whole list. Positions must not change while the index is in use; radii may.
#include <cstdint>
#include <utility>
#include <vector>

namespace viv {

class TCreature;

class TMouthIndex {
 public:
  // Indexes the centres of the list's creatures.
  void Build(const std::vector<TCreature*>& list);
  // A creature's radius has grown to r: queries must look that far.
  void NoteRadius(float r) {
    if (r > maxRadius_) maxRadius_ = r;
  }
  TCreature* CreatureAt(float x, float y) const;
  // Whether the last Build kept only the occupied cells (a world spread far and thin).
  bool Sparse() const { return sparse_; }

 private:
  // The entries of a cell: [first, last) in entries_.
  std::pair<int32_t, int32_t> Cell(int64_t cell) const;
  const std::vector<TCreature*>* list_ = nullptr;
  double cellSize_ = 1, minX_ = 0, minY_ = 0;
  int64_t columns_ = 0, rows_ = 0;
  float maxRadius_ = 0;
  // A world spread thin (two plants millions of units apart) would need millions of empty
  // cells: then only occupied cells are kept, with their numbers in ascending order.
  bool sparse_ = false;
  std::vector<int64_t> cellNumbers_;                   // sparse: the occupied cells
  std::vector<std::pair<int64_t, int32_t>> sorting_;  // sparse: (cell, list index) while building
  std::vector<int32_t> cellStart_;  // per cell (per occupied cell when sparse), its first entry in entries_
  std::vector<int32_t> entries_;    // list indices, ascending within a cell
  std::vector<int32_t> cellOf_;     // per creature, its cell or -1 when outside the grid
  std::vector<int32_t> outside_;    // creatures too far out for the grid, ascending
  std::vector<int32_t> cursor_;
};

}  // namespace viv
