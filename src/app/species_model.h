#pragma once
// The rows of the observatory's species table as a Qt model: one row per living species or
// taxon, brought up to date in place (rows that stay keep their place in the model, so a
// selection or a sorted view stays with its species; rows of the extinct go, new ones come
// at the end). A sort proxy orders them for the view.
#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "draw/raster_canvas.h"

namespace viv {

struct TSpeciesRow {
  std::string Name;
  TColor Colour = 0;
  int64_t Alive = 0, FirstSeen = 0, Peak = 0;
  std::string Parent;
};

class TSpeciesModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { Swatch, Name, Alive, FirstSeen, Parent, Peak, Columns };
  using QAbstractTableModel::QAbstractTableModel;

  // The rows now: those named before are updated where they are, the others removed or added.
  void SetRows(std::vector<TSpeciesRow> rows);
  // "Taxon" or "Species", the header of the name column.
  void SetNameHeader(const QString& header);
  void Clear();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  // Numbers as numbers (so that they sort as such), the swatch as a background colour.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<TSpeciesRow> rows_;
  QString nameHeader_ = "Taxon";
};

}  // namespace viv
