#pragma once
// The Tree tab of the observatory: the species tree of the run with time along the x axis,
// living species in the colour of a member, extinct ones dimmed, the selected one highlighted;
// a click selects a species, a button exports the tree as Newick text. At first it shows the
// living lineages only; the time axis zooms (buttons, Ctrl+wheel) and a field finds by name.
#include <QString>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "draw/raster_canvas.h"
#include "history/species_tree.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace viv {

class TSpeciesTreeView;

class TTreeTab : public QWidget {
  Q_OBJECT
 public:
  explicit TTreeTab(QWidget* parent);

  QCheckBox* LivingOnly;      // the living and their ancestors only (the default)
  QCheckBox* HideShortLived;  // otherwise: leave out extinct species that lived under 5,000 steps
  QLineEdit* Find;            // a part of a name: the next row whose label holds it is picked
  QLabel* Summary;
  TSpeciesTreeView* View;

  // Widens the time axis (factor above 1) or narrows it, keeping the middle of the shown
  // part in place; 1 fits the whole run into the tab.
  void ZoomBy(double factor);
  // Picks the next row after the selected one whose label holds text (any letter case);
  // false when none does.
  bool FindNext(const QString& text);

  // Lays the tree out again from the history at step now; colours: of a living member by name.
  // taxa: the history's emergences are taxa (the texts say so), else species.
  void Show(const TSpeciesHistory& history, int64_t now, const std::map<std::string, TColor>& colours,
            bool taxa = false);
  void Select(const std::string& name);
  // Writes the history's Newick text; a failure is shown in a box. Returns whether it worked.
  bool ExportNewick(const QString& fileName);

 signals:
  void Picked(const QString& name);

 private:
  // Scrolls the selected species into sight once its row is laid out.
  void ScrollToSelected();
  QScrollArea* scroll_;
  bool scrollPending_ = false;
};

// The drawing of the tree, as tall as its rows; the tab scrolls it.
class TSpeciesTreeView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int RowHeight = 16;
  explicit TSpeciesTreeView(QWidget* parent);

  std::vector<TTreeRow> Rows;
  // The history the rows index; it belongs to the main window's world, which outlives this
  // view. Rows laid out before a world was opened may point past its end until the next Show.
  const TSpeciesHistory* History = nullptr;
  std::map<std::string, TColor> Colours;
  int64_t Now = 1;
  std::string Selected;
  double Zoom = 1;  // the plot's width in widths of the tab

  void Relayout();
  // The x of a step, and the row under a y.
  double XOf(int64_t step) const;
  int RowAt(int y) const;

 signals:
  void Picked(const QString& name);
  void ZoomAsked(double factor);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;  // with Ctrl: zoom
};

}  // namespace viv
