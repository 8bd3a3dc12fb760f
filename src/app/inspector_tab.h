#pragma once
// The Inspector tab of the observatory: one creature at a time (the one of the last
// information window opened, else the one held with the mouse): its name, serial, parent,
// age and energy, its energy over its life as a small graph, and its organs with their live
// outputs, updated every frame until it dies.
#include <QWidget>
#include <cstdint>

class QLabel;
class QPushButton;
class QLineSeries;
class QTableView;

namespace viv {

class TCreature;
class TOrganModel;

class TInspectorTab : public QWidget {
  Q_OBJECT
 public:
  explicit TInspectorTab(QWidget* parent);

  QLabel* Header;
  QLineSeries* Energy;
  QTableView* Organs;       // kind, id, place, angle, formula, outputs; sorted by a header's click
  TOrganModel* OrganRows;   // its rows, in the body's order
  QPushButton* EditButton;  // "Edit in the animal editor", while a creature is shown
  uint64_t Serial = 0;      // the creature shown, 0 for none

  // Starts on another creature: its graph begins afresh.
  void Follow(uint64_t serial);
  // Brings the tab up to date with the creature followed, or tells that it died when it is
  // nullptr; the last figures stay to be read.
  void Show(const TCreature* creature, int64_t now);

 private:
  static constexpr int MaxPoints = 1000;
  void ShowOrgans(const TCreature& creature);
  bool died_ = false;
  QWidget* chartView_;  // the energy chart, hidden until it has a line
};

}  // namespace viv
