#include "world/fast/mouth_index.h"

#include <algorithm>
#include <cmath>

#include "creature/creature.h"

namespace viv {

namespace {

bool Contains(const TCreature* c, float x, float y) {
  const double dx = static_cast<double>(x) - c->X, dy = static_cast<double>(y) - c->Y;
  const double r = c->Radius;
  return dx * dx + dy * dy < r * r;
}

// A disc is listed with room to grow by 5 %, and a thousandth of a unit beyond: far more than
// the rounding of the containment test for creatures within Far of the origin.
constexpr double Room = 1.05;
constexpr double Slack = 1e-3;
constexpr double Far = 1e7;
// A disc wider than this many cells a side is checked by every query instead.
constexpr double MaxDiscCells = 16;

// Creatures farther out are checked by every query, and kept out of the grid's extent.
bool NearTheOrigin(const TCreature* c) { return std::fabs(c->X) <= Far && std::fabs(c->Y) <= Far; }
// How far from its centre a creature's cells must reach.
double ReachOf(const TCreature* c) { return c->Radius * Room + Slack; }

}  // namespace

void TMouthIndex::Build(const std::vector<TCreature*>& list) {
  list_ = &list;
  const size_t n = list.size();
  room_.resize(n);
  always_.clear();
  spans_.assign(4 * n, -1);
  double lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  double sumRadius = 0;
  int64_t near = 0;
  for (const TCreature* c : list) {
    if (!NearTheOrigin(c)) continue;
    const double reach = ReachOf(c);
    lo[0] = std::min(lo[0], c->X - reach), hi[0] = std::max(hi[0], c->X + reach);
    lo[1] = std::min(lo[1], c->Y - reach), hi[1] = std::max(hi[1], c->Y + reach);
    sumRadius += c->Radius;
    ++near;
  }
  // Cells about one typical diameter wide, at most about 4000 a side.
  if (!(lo[0] <= hi[0])) lo[0] = hi[0] = lo[1] = hi[1] = 0;
  const double meanRadius = near ? sumRadius / static_cast<double>(near) : 1;
  cellSize_ = std::max({2 * meanRadius, (hi[0] - lo[0]) / 4000, (hi[1] - lo[1]) / 4000, 1.0});
  perCell_ = 1 / cellSize_;  // multiplied, not divided: every cell number below comes alike
  minX_ = lo[0], minY_ = lo[1];
  columns_ = static_cast<int64_t>((hi[0] - lo[0]) / cellSize_) + 1;
  rows_ = static_cast<int64_t>((hi[1] - lo[1]) / cellSize_) + 1;
  // Dense cells while they are few next to the creatures; else only the occupied ones.
  sparse_ = static_cast<double>(columns_) * static_cast<double>(rows_) > 16.0 * static_cast<double>(n) + 65536;

  // Each creature's span of cells; far-flung and huge ones are checked by every query.
  size_t pairs = 0;
  for (size_t i = 0; i < n; ++i) {
    const TCreature* c = list[i];
    room_[i] = static_cast<float>(c->Radius * Room);
    const double reach = ReachOf(c);
    if (!NearTheOrigin(c) || !(reach >= 0) || !(2 * reach <= MaxDiscCells * cellSize_)) {
      always_.push_back(static_cast<int32_t>(i));
      room_[i] = INFINITY;
      continue;
    }
    int32_t* span = &spans_[4 * i];
    span[0] = static_cast<int32_t>(std::floor((c->X - reach - minX_) * perCell_));
    span[1] = static_cast<int32_t>(std::floor((c->X + reach - minX_) * perCell_));
    span[2] = static_cast<int32_t>(std::floor((c->Y - reach - minY_) * perCell_));
    span[3] = static_cast<int32_t>(std::floor((c->Y + reach - minY_) * perCell_));
    span[0] = std::max(span[0], 0), span[1] = std::min<int32_t>(span[1], static_cast<int32_t>(columns_ - 1));
    span[2] = std::max(span[2], 0), span[3] = std::min<int32_t>(span[3], static_cast<int32_t>(rows_ - 1));
    pairs += static_cast<size_t>(span[1] - span[0] + 1) * static_cast<size_t>(span[3] - span[2] + 1);
  }
  auto forEachCell = [&](size_t i, auto&& visit) {
    const int32_t* span = &spans_[4 * i];
    if (span[0] < 0 && span[1] < 0) return;
    for (int64_t cx = span[0]; cx <= span[1]; ++cx)
      for (int64_t cy = span[2]; cy <= span[3]; ++cy) visit(cx * rows_ + cy);
  };
  entries_.resize(pairs);
  auto entry = [&](size_t i) {
    const TCreature* c = list[i];
    return TEntry{c->X, c->Y, room_[i], static_cast<int32_t>(i)};
  };
  if (sparse_) {
    sorting_.clear();
    for (size_t i = 0; i < n; ++i)
      forEachCell(i, [&](int64_t cell) { sorting_.emplace_back(cell, static_cast<int32_t>(i)); });
    std::sort(sorting_.begin(), sorting_.end());  // by cell, then by list index
    cellNumbers_.clear();
    cellStart_.clear();
    for (size_t k = 0; k < sorting_.size(); ++k) {
      if (k == 0 || sorting_[k].first != sorting_[k - 1].first) {
        cellNumbers_.push_back(sorting_[k].first);
        cellStart_.push_back(static_cast<int32_t>(k));
      }
      entries_[k] = entry(static_cast<size_t>(sorting_[k].second));
    }
    cellStart_.push_back(static_cast<int32_t>(sorting_.size()));
    return;
  }
  cellStart_.assign(static_cast<size_t>(columns_ * rows_) + 1, 0);
  for (size_t i = 0; i < n; ++i) forEachCell(i, [&](int64_t cell) { ++cellStart_[cell + 1]; });
  for (size_t k = 1; k < cellStart_.size(); ++k) cellStart_[k] += cellStart_[k - 1];
  // Filling in list order keeps the indices of each cell ascending.
  cursor_.assign(cellStart_.begin(), cellStart_.end() - 1);
  for (size_t i = 0; i < n; ++i) forEachCell(i, [&](int64_t cell) { entries_[cursor_[cell]++] = entry(i); });
}

void TMouthIndex::NoteGrowth(int32_t i) {
  if (!((*list_)[i]->Radius > room_[i])) return;
  room_[i] = INFINITY;
  always_.insert(std::upper_bound(always_.begin(), always_.end(), i), i);
}

std::pair<int32_t, int32_t> TMouthIndex::Cell(int64_t cell) const {
  if (!sparse_) return {cellStart_[cell], cellStart_[cell + 1]};
  const auto it = std::lower_bound(cellNumbers_.begin(), cellNumbers_.end(), cell);
  if (it == cellNumbers_.end() || *it != cell) return {0, 0};
  const auto k = it - cellNumbers_.begin();
  return {cellStart_[k], cellStart_[k + 1]};
}

TCreature* TMouthIndex::CreatureAt(float x, float y) const {
  const std::vector<TCreature*>& list = *list_;
  int32_t best = INT32_MAX;
  const double cx = std::floor((x - minX_) * perCell_), cy = std::floor((y - minY_) * perCell_);
  if (cx >= 0 && cx < static_cast<double>(columns_) && cy >= 0 && cy < static_cast<double>(rows_)) {
    const auto [first, last] = Cell(static_cast<int64_t>(cx) * rows_ + static_cast<int64_t>(cy));
    for (int32_t k = first; k < last; ++k) {
      // A disc is never wider than its room here: one that outgrew it is among always_.
      const TEntry& e = entries_[k];
      const double dx = static_cast<double>(x) - e.X, dy = static_cast<double>(y) - e.Y;
      if (dx * dx + dy * dy >= static_cast<double>(e.Room) * e.Room) continue;
      if (Contains(list[e.Index], x, y)) {
        best = e.Index;  // ascending within a cell: the first found is the first in list order
        break;
      }
    }
  }
  for (int32_t i : always_) {
    if (i >= best) break;
    if (Contains(list[i], x, y)) {
      best = i;
      break;
    }
  }
  return best == INT32_MAX ? nullptr : list[best];
}

}  // namespace viv
