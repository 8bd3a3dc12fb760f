#include "view/study_charts.h"

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QChart>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <algorithm>
#include <iterator>

#include "config/errors.h"
#include "view/frame_png.h"
#include "view/run_charts.h"

namespace viv {

const char* const StudyChartMeasures[6] = {"creatures", "food", "species", "mean_organs", "novelty", "complexity"};

namespace {

// Colours apart for up to ten points, then again.
QColor PointColour(size_t k) {
  static const QColor colours[] = {
      QColor(31, 119, 180), QColor(255, 127, 14),  QColor(44, 160, 44),   QColor(214, 39, 40),  QColor(148, 103, 189),
      QColor(140, 86, 75),  QColor(227, 119, 194), QColor(127, 127, 127), QColor(188, 189, 34), QColor(23, 190, 207)};
  return colours[k % std::size(colours)];
}

QChart* MeasureChart(const TStudySummary& summary, size_t m) {
  std::vector<QLineSeries*> lines;
  double top = 1, from = 0, to = 1;
  bool first = true;
  for (size_t p = 0; p < summary.Points.size(); ++p) {
    const TStudyPoint& point = summary.Points[p];
    auto* line = new QLineSeries;
    line->setName(QString::fromStdString(point.Label));
    line->setPen(QPen(PointColour(p), 2));
    for (size_t k = 0; k < point.Steps.size(); ++k) {
      const double x = static_cast<double>(point.Steps[k]);
      line->append(x, point.Mean[m][k]);
      top = std::max(top, point.Mean[m][k] + point.Sd[m][k]);
      from = first ? x : std::min(from, x), to = first ? x : std::max(to, x);
      first = false;
    }
    lines.push_back(line);
  }
  QChart* chart = MakeChart(QString::fromStdString(summary.Measures[m]) + " by step", lines, "%.3g");
  chart->legend()->setVisible(summary.Points.size() > 1);
  // The bands go under the lines, on the same axes, without a legend entry of their own.
  const auto axes = lines.empty() ? QList<QAbstractAxis*>() : lines.front()->attachedAxes();
  for (size_t p = 0; p < summary.Points.size(); ++p) {
    const TStudyPoint& point = summary.Points[p];
    auto* upper = new QLineSeries(chart);
    auto* lower = new QLineSeries(chart);
    for (size_t k = 0; k < point.Steps.size(); ++k) {
      const double x = static_cast<double>(point.Steps[k]);
      upper->append(x, point.Mean[m][k] + point.Sd[m][k]);
      lower->append(x, std::max(0.0, point.Mean[m][k] - point.Sd[m][k]));
    }
    auto* band = new QAreaSeries(upper, lower);
    QColor fill = PointColour(p);
    fill.setAlpha(50);
    band->setBrush(fill);
    band->setPen(Qt::NoPen);
    chart->addSeries(band);
    for (QAbstractAxis* axis : axes) band->attachAxis(axis);
    for (QLegendMarker* marker : chart->legend()->markers(band)) marker->setVisible(false);
  }
  if (axes.size() >= 2) FitAxes(axes, from, std::max(to, from + 1), top);
  return chart;
}

}  // namespace

void WriteStudyChartsPng(const TStudySummary& summary, const std::string& fileName, int width, int height) {
  EnsureGuiApplication();
  std::vector<size_t> shown;
  for (const char* name : StudyChartMeasures) {
    const auto it = std::find(summary.Measures.begin(), summary.Measures.end(), name);
    if (it != summary.Measures.end()) shown.push_back(static_cast<size_t>(it - summary.Measures.begin()));
  }
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QGraphicsScene scene;
    const int rows = static_cast<int>((shown.size() + 1) / 2);
    const int w = width / 2, h = rows ? height / rows : height;
    for (size_t k = 0; k < shown.size(); ++k) {
      QChart* chart = MeasureChart(summary, shown[k]);
      scene.addItem(chart);
      chart->setGeometry(0, 0, w, h);
      scene.setSceneRect(0, 0, w, h);
      const int x = static_cast<int>(k % 2) * w, y = static_cast<int>(k / 2) * h;
      scene.render(&painter, QRectF(x, y, w, h), QRectF(0, 0, w, h));
      scene.removeItem(chart);
      delete chart;
    }
  }
  if (!image.save(QString::fromStdString(fileName), "PNG")) throw EVivarion(fileName + ": cannot write the picture");
}

}  // namespace viv
