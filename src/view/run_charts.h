#pragma once
// The charts of a run's figures over time, shared by the observatory's Graphs tab and the
// runner's --plot: animals, plants and species alive; biomass; Shannon diversity.
#include <string>
#include <vector>

#include "history/run_samples.h"

class QAbstractAxis;
class QChart;
class QString;
template <typename T>
class QList;
class QLineSeries;

namespace viv {

struct TRunCharts {
  QChart *Population = nullptr, *Biomass = nullptr, *Diversity = nullptr;  // owned by whoever shows them
  QLineSeries *Animals = nullptr, *Plants = nullptr, *Species = nullptr, *BiomassLine = nullptr,
              *DiversityLine = nullptr;
};

// A whole tick interval for an axis of span steps: 1, 2 or 5 times a power of ten, about four
// across.
double RoundTickInterval(double span, double parts = 4);

// A chart of the series against steps, with small axis labels and the values' format (a
// printf format such as "%.0f"); a legend when there are several.
// A chart's two axes (x first) from step from to to, and from 0 to a little above top, with
// ticks at round numbers whatever the span.
// plotWidth: the chart's plot area in pixels, when known; a narrow chart gets fewer steps along
// its x axis, so that their labels do not run into each other.
void FitAxes(const QList<QAbstractAxis*>& axes, double from, double to, double top, double plotWidth = 0);
QChart* MakeChart(const QString& title, const std::vector<QLineSeries*>& series, const char* format);
// Three new charts with their series and axes.
TRunCharts MakeRunCharts();
// Replaces the series with the samples and fits the axes: from the first step to the last,
// from 0 to the largest value.
// byTaxa: the groups alive and their diversity are the taxa's (the series and charts say so),
// else the species'.
void ShowRunSamples(const TRunCharts& charts, const std::vector<TRunSample>& samples, bool byTaxa = false);
// The three charts, one under the other, as a PNG file of width x height pixels, drawn
// offscreen (a Qt application is made for it when there is none). Throws EVivarion naming
// the file when it cannot be written.
void WriteRunChartsPng(const std::vector<TRunSample>& samples, const std::string& fileName, int width = 1000,
                       int height = 900);
// The same charts as the bytes of a PNG file.
std::string RunChartsPngBytes(const std::vector<TRunSample>& samples, int width = 1000, int height = 900);

}  // namespace viv
