#include "app/organ_model.h"

namespace viv {

void TOrganModel::SetRows(std::vector<TRow> rows) {
  const int before = static_cast<int>(rows_.size()), after = static_cast<int>(rows.size());
  if (after < before) {
    beginRemoveRows({}, after, before - 1);
    rows_.resize(static_cast<size_t>(after));
    endRemoveRows();
  }
  for (int row = 0; row < std::min(before, after); ++row)
    for (int column = 0; column < Columns; ++column) {
      QString& cell = rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
      QString& fresh = rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
      if (cell == fresh) continue;
      cell = std::move(fresh);
      emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
    }
  if (after > before) {
    beginInsertRows({}, before, after - 1);
    for (int row = before; row < after; ++row) rows_.push_back(std::move(rows[static_cast<size_t>(row)]));
    endInsertRows();
  }
}

int TOrganModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TOrganModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

QVariant TOrganModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
  return rows_[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
}

QVariant TOrganModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const names[Columns] = {"Kind", "Id", "Place", "Angle", "Formula", "Outputs"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= Columns) return {};
  return QString(names[section]);
}

}  // namespace viv
