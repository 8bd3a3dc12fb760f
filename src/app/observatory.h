#pragma once
// The observatory: a second window beside the main one, opened and closed with O, that shows
// the running world's graphs, species, species tree and one creature inside out. Selecting a
// species (in the table or the tree) rings its living members in the main view; a double
// click follows one of them in an information window.
#include <QWidget>
#include <cstdint>
#include <map>
#include <string>

class QComboBox;
class QLabel;
class QTableView;
class QTabWidget;

#include "app/evolution_tab.h"
#include "app/graphs_tab.h"
#include "app/inspector_tab.h"
#include "app/species_model.h"
#include "app/timeline_tab.h"
#include "app/tree_tab.h"

namespace viv {

class TWorldWindow;

class TfrmObservatory : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmObservatory(TWorldWindow* main);

  QTabWidget* Tabs;
  TGraphsTab* Graphs;
  TEvolutionTab* Evolution;
  // How the Graphs, Species and Tree tabs group the animals: by body plan (taxa, the first
  // item and the default) or by name (species).
  QComboBox* GroupBy;
  QTableView* SpeciesTable;    // colour, name (species or taxon), alive, first seen, parent, peak
  TSpeciesModel* SpeciesRows;  // its rows, in the order they came (the view sorts them)
  TTreeTab* Tree;
  TInspectorTab* Inspector;
  TTimelineTab* Timeline;
  QLabel* Help;

  // Brings the tabs up to date with the world (the main window calls it after its frames):
  // the inspector every frame, the others at most twice a second.
  void Refresh(bool now = false);
  // The species or taxon selected in the table, or empty.
  std::string SelectedSpecies() const;
  bool ByTaxa() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  // The first showing places the window beside the main window.
  void showEvent(QShowEvent* e) override;

 private:
  void FollowSelected();
  void RefreshSpecies();
  // Selects the row of the species or taxon (none when it is not listed).
  void SelectRowOf(const std::string& name);
  void Select(const std::string& name);
  // The group label of an animal in the grouping shown.
  std::string GroupLabel(const TCreature& animal) const;
  // Rings the group of this label in the view (a species, or the taxon of that label).
  void Outline(const std::string& label);
  TSpeciesHistory taxa_;                      // the taxa as a history of emergences, for the table and the tree
  std::map<std::string, uint64_t> taxonIds_;  // label -> taxon id, of the living taxa
  TWorldWindow* main_;
  int64_t refreshedTick_ = -1000000;
  bool placed_ = false;
};

}  // namespace viv
