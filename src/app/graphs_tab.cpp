#include "app/graphs_tab.h"

#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>

#include "app/error_box.h"

namespace viv {

TGraphsTab::TGraphsTab(QWidget* parent) : QWidget(parent) {
  auto line = [](const QString& name) {
    auto* s = new QLineSeries;
    s->setName(name);
    return s;
  };
  Animals = line("Animals"), Plants = line("Plants"), Species = line("Species alive");
  Biomass = line("Biomass"), Diversity = line("Shannon diversity");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Chart("Population by step", {Animals, Plants, Species}), 2);
  layout->addWidget(Chart("Biomass by step", {Biomass}), 1);
  layout->addWidget(Chart("Diversity of species (Shannon) by step", {Diversity}), 1);
  Values = new QLabel("Point at a graph to read its values.", this);
  auto* save = new QPushButton("Save as PNG...", this);
  connect(save, &QPushButton::clicked, this, [this] {
    const QString name = QFileDialog::getSaveFileName(this, "Save the graphs", "graphs.png", "PNG pictures (*.png)");
    if (!name.isEmpty()) SavePng(name);
  });
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(Values, 1);
  bottom->addWidget(save);
  layout->addLayout(bottom);
}

QChartView* TGraphsTab::Chart(const QString& title, const std::vector<QLineSeries*>& series) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->setMargins(QMargins(2, 2, 2, 2));
  auto* x = new QValueAxis;
  x->setLabelFormat("%.0f");
  x->setTickCount(5);
  auto* y = new QValueAxis;
  y->setLabelFormat(title.startsWith("Diversity") ? "%.2f" : "%.0f");
  y->setTickCount(4);
  QFont small = x->labelsFont();
  small.setPixelSize(10);
  x->setLabelsFont(small);
  y->setLabelsFont(small);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  for (QLineSeries* s : series) {
    chart->addSeries(s);
    s->attachAxis(x);
    s->attachAxis(y);
    connect(s, &QLineSeries::hovered, this, [this](const QPointF& p, bool on) {
      if (on) TellValuesAt(p.x());
    });
  }
  chart->legend()->setVisible(series.size() > 1);
  auto* view = new QChartView(chart, this);
  view->setRenderHint(QPainter::Antialiasing);
  views_.push_back(view);
  return view;
}

void TGraphsTab::Show(const std::vector<TRunSample>& samples) {
  samples_ = samples;
  QList<QPointF> a, p, s, b, d;
  for (const TRunSample& r : samples) {
    const double x = static_cast<double>(r.Step);
    a.append({x, static_cast<double>(r.Animals)}), p.append({x, static_cast<double>(r.Plants)});
    s.append({x, static_cast<double>(r.Species)}), b.append({x, static_cast<double>(r.Biomass)});
    d.append({x, r.Diversity});
  }
  Animals->replace(a), Plants->replace(p), Species->replace(s), Biomass->replace(b), Diversity->replace(d);
  // Axes fitted to what there is: from the first step to the last, from 0 to the largest value.
  auto fit = [&](QLineSeries* first, std::initializer_list<QLineSeries*> all) {
    double top = 1;
    for (QLineSeries* series : all)
      for (const QPointF& q : series->points()) top = std::max(top, q.y());
    const auto axes = first->attachedAxes();
    if (axes.size() < 2) return;
    const double from = samples.empty() ? 0 : static_cast<double>(samples.front().Step);
    const double to = samples.empty() ? 1 : std::max(from + 1, static_cast<double>(samples.back().Step));
    axes[0]->setRange(from, to);
    axes[1]->setRange(0, top * 1.05);
  };
  fit(Animals, {Animals, Plants, Species});
  fit(Biomass, {Biomass});
  fit(Diversity, {Diversity});
}

void TGraphsTab::TellValuesAt(double step) {
  if (samples_.empty()) return;
  auto it = std::lower_bound(samples_.begin(), samples_.end(), step,
                             [](const TRunSample& r, double s) { return static_cast<double>(r.Step) < s; });
  if (it == samples_.end()) --it;
  Values->setText(QString("step %1: %2 animals, %3 plants, %4 species, biomass %5, diversity %6")
                      .arg(it->Step)
                      .arg(it->Animals)
                      .arg(it->Plants)
                      .arg(it->Species)
                      .arg(it->Biomass)
                      .arg(it->Diversity, 0, 'f', 3));
}

bool TGraphsTab::SavePng(const QString& fileName) {
  int width = 0, height = 0;
  for (QChartView* v : views_) width = std::max(width, v->width()), height += v->height();
  QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  int y = 0;
  for (QChartView* v : views_) {
    v->render(&painter, QRectF(0, y, v->width(), v->height()));
    y += v->height();
  }
  painter.end();
  if (image.save(fileName, "PNG")) return true;
  ShowErrorBox(this, "Vivarion Observatory", QString("The graphs could not be written to %1.").arg(fileName));
  return false;
}

}  // namespace viv
