#pragma once
// The Graphs tab of the observatory: animals, plants and species alive, biomass and Shannon
// diversity over the whole run, marks at the steps of the world's scheduled events, a line
// that tells the values (or the events) at the step under the pointer, and a button that saves
// the charts as a PNG picture.
#include <QWidget>
#include <vector>

#include "history/run_samples.h"
#include "sim/world_events.h"
#include "view/run_charts.h"

class QLabel;
class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace viv {

class TGraphsTab : public QWidget {
  Q_OBJECT
 public:
  explicit TGraphsTab(QWidget* parent);

  QLineSeries *Animals, *Plants, *Species, *Biomass, *Diversity;
  QScatterSeries* EventMarks;  // one mark on the step axis per event that has begun
  QLabel* Values;

  // Replaces the series with the samples (a few thousand at most); byTaxa: the groups and their
  // diversity are the taxa's, else the species'. events: the world's, marked where they begin.
  void Show(const std::vector<TRunSample>& samples, bool byTaxa = false, const std::vector<TWorldEvent>& events = {});
  // Writes the three charts, one under the other, as a PNG file; a failure is shown in a box.
  // Returns whether it worked.
  bool SavePng(const QString& fileName);
  // The animals and plants of the branch stepped beside the world shown, dashed over its own
  // (none: empty samples).
  void ShowBeside(const std::vector<TRunSample>& samples, const std::string& name);
  QLineSeries *BesideAnimals = nullptr, *BesidePlants = nullptr;

 private:
  QChartView* View(QChart* chart);
  TRunCharts charts_;
  void TellValuesAt(double step);
  void TellEventsAt(double step);
  std::vector<TWorldEvent> events_;
  std::vector<QChartView*> views_;
  std::vector<TRunSample> samples_;
  bool byTaxa_ = false;
};

}  // namespace viv
