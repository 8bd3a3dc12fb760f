#include "app/species_model.h"

#include <QColor>
#include <map>

#include "view/qpainter_canvas.h"

namespace viv {

void TSpeciesModel::SetRows(std::vector<TSpeciesRow> rows) {
  std::map<std::string, size_t> wanted;
  for (size_t k = 0; k < rows.size(); ++k) wanted[rows[k].Name] = k;
  // The extinct go, from the last row up so that the places of the others hold.
  for (int row = static_cast<int>(rows_.size()) - 1; row >= 0; --row) {
    if (wanted.count(rows_[static_cast<size_t>(row)].Name)) continue;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
  }
  std::map<std::string, size_t> present;
  for (size_t k = 0; k < rows_.size(); ++k) present[rows_[k].Name] = k;
  for (TSpeciesRow& row : rows) {
    if (auto it = present.find(row.Name); it != present.end()) {
      rows_[it->second] = std::move(row);
      continue;
    }
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
  }
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, Columns - 1));
}

void TSpeciesModel::SetNameHeader(const QString& header) {
  nameHeader_ = header;
  emit headerDataChanged(Qt::Horizontal, Name, Name);
}

void TSpeciesModel::Clear() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int TSpeciesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TSpeciesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

QVariant TSpeciesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const TSpeciesRow& r = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::BackgroundRole && index.column() == Swatch) return ToQColor(r.Colour);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case Name: return QString::fromStdString(r.Name);
    case Alive: return static_cast<qlonglong>(r.Alive);
    case FirstSeen: return static_cast<qlonglong>(r.FirstSeen);
    case Parent: return QString::fromStdString(r.Parent);
    case Peak: return static_cast<qlonglong>(r.Peak);
    default: return {};
  }
}

QVariant TSpeciesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case Name: return nameHeader_;
    case Alive: return QString("Alive");
    case FirstSeen: return QString("First seen");
    case Parent: return QString("Parent");
    case Peak: return QString("Peak");
    default: return QString();
  }
}

}  // namespace viv
