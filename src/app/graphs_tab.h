#pragma once
// The Graphs tab of the observatory: animals, plants and species alive, biomass and Shannon
// diversity over the whole run, a line that tells the values at the step under the pointer,
// and a button that saves the charts as a PNG picture.
#include <QWidget>
#include <vector>

#include "history/run_samples.h"
#include "view/run_charts.h"

class QLabel;
class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;

namespace viv {

class TGraphsTab : public QWidget {
  Q_OBJECT
 public:
  explicit TGraphsTab(QWidget* parent);

  QLineSeries *Animals, *Plants, *Species, *Biomass, *Diversity;
  QLabel* Values;

  // Replaces the series with the samples (a few thousand at most); byTaxa: the groups and their
  // diversity are the taxa's, else the species'.
  void Show(const std::vector<TRunSample>& samples, bool byTaxa = false);
  // Writes the three charts, one under the other, as a PNG file; a failure is shown in a box.
  // Returns whether it worked.
  bool SavePng(const QString& fileName);

 private:
  QChartView* View(QChart* chart);
  TRunCharts charts_;
  void TellValuesAt(double step);
  std::vector<QChartView*> views_;
  std::vector<TRunSample> samples_;
  bool byTaxa_ = false;
};

}  // namespace viv
