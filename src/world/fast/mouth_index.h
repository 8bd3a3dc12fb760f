#pragma once
// Finds the creature at a point as CreatureAt does (the first in list order whose disc
// strictly contains it) through a grid of the creatures' centres instead of a walk of the
// whole list. Positions must not change while the index is in use; radii may.
#include <cstdint>
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

 private:
  const std::vector<TCreature*>* list_ = nullptr;
  double cellSize_ = 1, minX_ = 0, minY_ = 0;
  int64_t columns_ = 0, rows_ = 0;
  float maxRadius_ = 0;
  std::vector<int32_t> cellStart_;  // per cell, its first entry in entries_
  std::vector<int32_t> entries_;    // list indices, ascending within a cell
  std::vector<int32_t> cellOf_;     // per creature, its cell or -1 when outside the grid
  std::vector<int32_t> outside_;    // creatures too far out for the grid, ascending
  std::vector<int32_t> cursor_;
};

}  // namespace viv
