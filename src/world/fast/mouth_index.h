#pragma once
// Finds the creature at a point as CreatureAt does (the first in list order whose disc
// strictly contains it) without a walk of the whole list: each creature is listed in every
// cell of a grid that its disc (with room to grow) touches, so a query reads one cell.
// Positions must not change while the index is in use; radii may shrink, and a creature that
// grows is told with NoteGrowth.
#include <cstdint>
#include <utility>
#include <vector>

namespace viv {

class TCreature;

class TMouthIndex {
 public:
  // Indexes the discs of the list's creatures.
  void Build(const std::vector<TCreature*>& list);
  // The creature at list index i may have grown (an eater after a bite): one that outgrows the
  // room its cells give is checked by every query from then on.
  void NoteGrowth(int32_t i);
  TCreature* CreatureAt(float x, float y) const;
  // Whether the last Build kept only the occupied cells (a world spread far and thin).
  bool Sparse() const { return sparse_; }

 private:
  // The entries of a cell: [first, last) in entries_.
  std::pair<int32_t, int32_t> Cell(int64_t cell) const;
  const std::vector<TCreature*>* list_ = nullptr;
  double cellSize_ = 1, perCell_ = 1, minX_ = 0, minY_ = 0;
  int64_t columns_ = 0, rows_ = 0;
  // A world spread thin (two plants millions of units apart) would need millions of empty
  // cells: then only occupied cells are kept, with their numbers in ascending order.
  bool sparse_ = false;
  std::vector<float> room_;                           // per creature, the radius up to which its cells hold it
  std::vector<int32_t> always_;                       // creatures every query checks (far out, huge, grown), ascending
  std::vector<int32_t> spans_;                        // per creature, its first and last column and row (or -1)
  std::vector<int64_t> cellNumbers_;                  // sparse: the occupied cells
  std::vector<std::pair<int64_t, int32_t>> sorting_;  // sparse: (cell, list index) while building
  std::vector<int32_t> cellStart_;  // per cell (per occupied cell when sparse), its first entry in entries_
  // A creature in a cell: its place and the radius its cells hold it to, beside its index, so
  // that a query passes over the discs far from it without reading the creatures.
  struct TEntry {
    float X, Y, Room;
    int32_t Index;
  };
  std::vector<TEntry> entries_;  // ascending by index within a cell
  std::vector<int32_t> cursor_;
};

}  // namespace viv
