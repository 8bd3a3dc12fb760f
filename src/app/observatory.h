#pragma once
// The observatory: a second window beside the main one, opened and closed with O, that shows
// the running world's graphs, species, species tree and one creature inside out. Selecting a
// species (in the table or the tree) rings its living members in the main view; a double
// click follows one of them in an information window.
#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;
class QTableWidget;
class QTabWidget;

#include "app/evolution_tab.h"
#include "app/graphs_tab.h"
#include "app/inspector_tab.h"
#include "app/tree_tab.h"

namespace viv {

class TfrmVivarion;

class TfrmObservatory : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmObservatory(TfrmVivarion* main);

  QTabWidget* Tabs;
  TGraphsTab* Graphs;
  TEvolutionTab* Evolution;
  QTableWidget* SpeciesTable;  // colour, name, alive, first seen, parent, peak
  TTreeTab* Tree;
  TInspectorTab* Inspector;
  QLabel* Help;

  // Brings the tabs up to date with the world (the main window calls it after its frames):
  // the inspector every frame, the others at most twice a second.
  void Refresh(bool now = false);
  // The species selected in the table, or empty.
  std::string SelectedSpecies() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  // The first showing places the window beside the main window.
  void showEvent(QShowEvent* e) override;

 private:
  void FollowSelected();
  void RefreshSpecies();
  void Select(const std::string& name);
  TfrmVivarion* main_;
  int64_t refreshedTick_ = -1000000;
  bool placed_ = false;
};

}  // namespace viv
