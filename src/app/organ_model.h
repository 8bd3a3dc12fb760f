#pragma once
// The rows of the inspector's organ table as a Qt model: one row per organ, its texts rewritten
// in place every frame (only the cells that changed are announced, so that a creature of
// hundreds of organs refreshes cheaply and a sorted view keeps its order).
#include <QAbstractTableModel>
#include <QStringList>
#include <array>
#include <vector>

namespace viv {

class TOrganModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { Kind, Id, Place, Angle, Formula, Outputs, Columns };
  using TRow = std::array<QString, Columns>;
  using QAbstractTableModel::QAbstractTableModel;

  void SetRows(std::vector<TRow> rows);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<TRow> rows_;
};

}  // namespace viv
