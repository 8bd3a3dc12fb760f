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

// A query is answered by the plain walk when its square would cover more cells than this.
constexpr int64_t MaxQueryCells = 256;

}  // namespace

void TMouthIndex::Build(const std::vector<TCreature*>& list) {
  list_ = &list;
  const size_t n = list.size();
  maxRadius_ = 0;
  double lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  double sumRadius = 0;
  for (const TCreature* c : list) {
    maxRadius_ = std::max(maxRadius_, c->Radius);
    sumRadius += c->Radius;
    if (std::fabs(c->X) > 1e7 || std::fabs(c->Y) > 1e7) continue;
    lo[0] = std::min<double>(lo[0], c->X), hi[0] = std::max<double>(hi[0], c->X);
    lo[1] = std::min<double>(lo[1], c->Y), hi[1] = std::max<double>(hi[1], c->Y);
  }
  // Cells about two typical diameters wide, at most 4096 a side; far-flung creatures are
  // kept aside in a list of their own.
  if (!(lo[0] <= hi[0])) lo[0] = hi[0] = lo[1] = hi[1] = 0;
  const double meanRadius = n ? sumRadius / static_cast<double>(n) : 1;
  cellSize_ = std::max({4 * meanRadius, (hi[0] - lo[0]) / 4000, (hi[1] - lo[1]) / 4000, 1.0});
  minX_ = lo[0], minY_ = lo[1];
  columns_ = static_cast<int64_t>((hi[0] - lo[0]) / cellSize_) + 1;
  rows_ = static_cast<int64_t>((hi[1] - lo[1]) / cellSize_) + 1;

  // Dense cells while they are few next to the creatures; else only the occupied ones.
  sparse_ = static_cast<double>(columns_) * static_cast<double>(rows_) > 16.0 * static_cast<double>(n) + 65536;
  cellOf_.resize(n);
  outside_.clear();
  for (size_t i = 0; i < n; ++i) {
    const TCreature* c = list[i];
    const double cx = std::floor((c->X - minX_) / cellSize_), cy = std::floor((c->Y - minY_) / cellSize_);
    if (cx >= 0 && cx < static_cast<double>(columns_) && cy >= 0 && cy < static_cast<double>(rows_)) {
      // At most 4001 cells a side: the number fits.
      cellOf_[i] = static_cast<int32_t>(static_cast<int64_t>(cx) * rows_ + static_cast<int64_t>(cy));
    } else {
      cellOf_[i] = -1;
      outside_.push_back(static_cast<int32_t>(i));
    }
  }
  entries_.resize(n);
  if (sparse_) {
    sorting_.clear();
    for (size_t i = 0; i < n; ++i)
      if (cellOf_[i] >= 0) sorting_.emplace_back(cellOf_[i], static_cast<int32_t>(i));
    std::sort(sorting_.begin(), sorting_.end());  // by cell, then by list index
    cellNumbers_.clear();
    cellStart_.clear();
    for (size_t k = 0; k < sorting_.size(); ++k) {
      if (k == 0 || sorting_[k].first != sorting_[k - 1].first) {
        cellNumbers_.push_back(sorting_[k].first);
        cellStart_.push_back(static_cast<int32_t>(k));
      }
      entries_[k] = sorting_[k].second;
    }
    cellStart_.push_back(static_cast<int32_t>(sorting_.size()));
    return;
  }
  cellStart_.assign(static_cast<size_t>(columns_ * rows_) + 1, 0);
  for (size_t i = 0; i < n; ++i)
    if (cellOf_[i] >= 0) ++cellStart_[cellOf_[i] + 1];
  for (size_t k = 1; k < cellStart_.size(); ++k) cellStart_[k] += cellStart_[k - 1];
  // Filling in list order keeps the indices of each cell ascending.
  cursor_.assign(cellStart_.begin(), cellStart_.end() - 1);
  for (size_t i = 0; i < n; ++i)
    if (cellOf_[i] >= 0) entries_[cursor_[cellOf_[i]]++] = static_cast<int32_t>(i);
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
  const double reach = maxRadius_;
  const double x0 = std::floor((x - reach - minX_) / cellSize_), x1 = std::floor((x + reach - minX_) / cellSize_);
  const double y0 = std::floor((y - reach - minY_) / cellSize_), y1 = std::floor((y + reach - minY_) / cellSize_);
  if (!((x1 - x0 + 1) * (y1 - y0 + 1) <= MaxQueryCells)) {
    for (TCreature* c : list)
      if (Contains(c, x, y)) return c;
    return nullptr;
  }
  int32_t best = INT32_MAX;
  for (int32_t i : outside_) {
    if (i >= best) break;
    if (Contains(list[i], x, y)) {
      best = i;
      break;
    }
  }
  // Clamped while still real, so that a point far outside the grid converts safely.
  const auto cell = [](double v, int64_t count) { return static_cast<int64_t>(std::clamp(v, -1.0, double(count))); };
  const int64_t cx0 = std::max<int64_t>(0, cell(x0, columns_)),
                cx1 = std::min<int64_t>(columns_ - 1, cell(x1, columns_));
  const int64_t cy0 = std::max<int64_t>(0, cell(y0, rows_)), cy1 = std::min<int64_t>(rows_ - 1, cell(y1, rows_));
  for (int64_t cx = cx0; cx <= cx1; ++cx)
    for (int64_t cy = cy0; cy <= cy1; ++cy) {
      const auto [first, last] = Cell(cx * rows_ + cy);
      for (int32_t k = first; k < last; ++k) {
        const int32_t i = entries_[k];
        if (i >= best) break;  // ascending within a cell
        if (Contains(list[i], x, y)) best = i;
      }
    }
  return best == INT32_MAX ? nullptr : list[best];
}

}  // namespace viv
