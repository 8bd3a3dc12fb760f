#pragma once
// The observatory: a second window beside the main one, opened and closed with O, that shows
// the species of the running world. Selecting a species rings its living members in the main
// view; a double click follows one of them in an information window.
#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;
class QTableWidget;
class QTabWidget;

#include "app/graphs_tab.h"

namespace viv {

class TfrmVivarion;

class TfrmObservatory : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmObservatory(TfrmVivarion* main);

  QTabWidget* Tabs;
  TGraphsTab* Graphs;
  QTableWidget* SpeciesTable;  // colour, name, alive, first seen, parent, peak
  QLabel* Help;

  // Brings the tables up to date with the world (the main window calls it after its frames;
  // it does the work at most twice a second).
  void Refresh(bool now = false);
  // The species selected in the table, or empty.
  std::string SelectedSpecies() const;

 private:
  void FollowSelected();
  TfrmVivarion* main_;
  int64_t refreshedTick_ = -1000000;
};

}  // namespace viv
