#include "view/run_charts.h"

#include <QApplication>
#include <QBuffer>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <memory>

#include "config/errors.h"
#include "view/frame_png.h"

namespace viv {

void FitAxes(const QList<QAbstractAxis*>& axes, double from, double to, double top, double plotWidth) {
  axes[0]->setRange(from, to);
  axes[1]->setRange(0, top * 1.05);
  // Ticks at round steps and values, whatever the span.
  for (auto [axis, span] : {std::pair{axes[0], to - from}, std::pair{axes[1], top * 1.05}}) {
    auto* v = static_cast<QValueAxis*>(axis);
    v->setTickType(QValueAxis::TicksDynamic);
    v->setTickAnchor(0);
    v->setTickInterval(span >= 4 ? RoundTickInterval(span) : 0.5);
  }
  // On a narrow chart, no more steps along x than labels of the widest value fit side by side
  // (10-pixel digits are about 7 wide): the next round interval that leaves room.
  const double labelWidth = 7.0 * QString::number(static_cast<int64_t>(to)).size() + 14;
  auto* x = static_cast<QValueAxis*>(axes[0]);
  const double fits = plotWidth / labelWidth;
  if (plotWidth > 0 && to - from >= 4 && (to - from) / x->tickInterval() > fits) {
    double interval = x->tickInterval();
    for (int k = 0; k < 64 && (to - from) / interval > std::max(1.0, fits); ++k) {
      // The next round interval: 1 -> 2 -> 5 -> 10 ...
      const double power = std::pow(10.0, std::floor(std::log10(interval)));
      const double m = interval / power;
      interval = (m < 1.5 ? 2 : m < 3.5 ? 5 : 10) * power;
    }
    x->setTickInterval(interval);
  }
}

QChart* MakeChart(const QString& title, const std::vector<QLineSeries*>& series, const char* format) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->setMargins(QMargins(2, 2, 2, 2));
  auto* x = new QValueAxis;
  x->setLabelFormat("%.0f");
  x->setTickCount(5);
  auto* y = new QValueAxis;
  y->setLabelFormat(format);
  y->setTickCount(4);
  QFont small = x->labelsFont();
  small.setPixelSize(10);
  x->setLabelsFont(small);
  y->setLabelsFont(small);
  // Qt elides value labels it thinks too tall for a short chart ("..."): they fit, show them.
  y->setTruncateLabels(false);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  for (QLineSeries* s : series) {
    chart->addSeries(s);
    s->attachAxis(x);
    s->attachAxis(y);
  }
  chart->legend()->setVisible(series.size() > 1);
  return chart;
}

namespace {

QLineSeries* Line(const QString& name) {
  auto* s = new QLineSeries;
  s->setName(name);
  return s;
}

}  // namespace

TRunCharts MakeRunCharts() {
  TRunCharts c;
  c.Animals = Line("Animals"), c.Plants = Line("Plants"), c.Species = Line("Species alive");
  c.BiomassLine = Line("Biomass"), c.DiversityLine = Line("Shannon diversity");
  c.Population = MakeChart("Population by step", {c.Animals, c.Plants, c.Species}, "%.0f");
  c.Biomass = MakeChart("Biomass by step", {c.BiomassLine}, "%.0f");
  c.Diversity = MakeChart("Diversity of species (Shannon) by step", {c.DiversityLine}, "%.2f");
  return c;
}

void ShowRunSamples(const TRunCharts& c, const std::vector<TRunSample>& samples, bool byTaxa) {
  c.Species->setName(byTaxa ? "Taxa alive" : "Species alive");
  c.Diversity->setTitle(byTaxa ? "Diversity of taxa (Shannon) by step" : "Diversity of species (Shannon) by step");
  QList<QPointF> a, p, s, b, d;
  for (const TRunSample& r : samples) {
    const double x = static_cast<double>(r.Step);
    a.append({x, static_cast<double>(r.Animals)}), p.append({x, static_cast<double>(r.Plants)});
    s.append({x, static_cast<double>(byTaxa ? r.Taxa : r.Species)}), b.append({x, static_cast<double>(r.Biomass)});
    d.append({x, byTaxa ? r.TaxonDiversity : r.Diversity});
  }
  c.Animals->replace(a), c.Plants->replace(p), c.Species->replace(s), c.BiomassLine->replace(b);
  c.DiversityLine->replace(d);
  auto fit = [&](QLineSeries* first, std::initializer_list<QLineSeries*> all) {
    double top = 1;
    for (QLineSeries* series : all)
      for (const QPointF& q : series->points()) top = std::max(top, q.y());
    const auto axes = first->attachedAxes();
    if (axes.size() < 2) return;
    const double from = samples.empty() ? 0 : static_cast<double>(samples.front().Step);
    const double to = samples.empty() ? 1 : std::max(from + 1, static_cast<double>(samples.back().Step));
    FitAxes(axes, from, to, top, first->chart() ? first->chart()->plotArea().width() : 0);
  };
  fit(c.Animals, {c.Animals, c.Plants, c.Species});
  fit(c.BiomassLine, {c.BiomassLine});
  fit(c.DiversityLine, {c.DiversityLine});
}

double RoundTickInterval(double span, double parts) {
  const double raw = std::max(1.0, span / parts);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double ratio = raw / power;
  return (ratio < 1.5 ? 1 : ratio < 3.5 ? 2 : ratio < 7.5 ? 5 : 10) * power;
}

namespace {

QImage RunChartsImage(const std::vector<TRunSample>& samples, int width, int height) {
  // Charts are graphics items: they need an application object, which a runner has not.
  EnsureGuiApplication();
  QGraphicsScene scene;
  const TRunCharts c = MakeRunCharts();
  ShowRunSamples(c, samples);
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const int heights[] = {height / 2, height / 4, height - height / 2 - height / 4};
  int y = 0, k = 0;
  for (QChart* chart : {c.Population, c.Biomass, c.Diversity}) {
    scene.addItem(chart);  // the scene deletes it
    chart->setGeometry(0, 0, width, heights[k]);
    scene.setSceneRect(0, 0, width, heights[k]);
    scene.render(&painter, QRectF(0, y, width, heights[k]), QRectF(0, 0, width, heights[k]));
    scene.removeItem(chart);
    delete chart;
    y += heights[k++];
  }
  painter.end();
  return image;
}

}  // namespace

void WriteRunChartsPng(const std::vector<TRunSample>& samples, const std::string& fileName, int width, int height) {
  if (!RunChartsImage(samples, width, height).save(QString::fromStdString(fileName), "PNG"))
    throw EVivarion(fileName + ": cannot write the picture");
}

std::string RunChartsPngBytes(const std::vector<TRunSample>& samples, int width, int height) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!RunChartsImage(samples, width, height).save(&buffer, "PNG")) throw EVivarion("cannot encode the charts as PNG");
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace viv
