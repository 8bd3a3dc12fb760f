#include "app/graphs_tab.h"

#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>

#include "app/error_box.h"
#include "view/run_charts.h"

namespace viv {

TGraphsTab::TGraphsTab(QWidget* parent) : QWidget(parent) {
  const TRunCharts c = charts_ = MakeRunCharts();
  Animals = c.Animals, Plants = c.Plants, Species = c.Species, Biomass = c.BiomassLine, Diversity = c.DiversityLine;
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(View(c.Population), 2);
  layout->addWidget(View(c.Biomass), 1);
  layout->addWidget(View(c.Diversity), 1);
  for (QLineSeries* s : {Animals, Plants, Species, Biomass, Diversity})
    connect(s, &QLineSeries::hovered, this, [this](const QPointF& p, bool on) {
      if (on) TellValuesAt(p.x());
    });
  // Marks on the step axis of the population chart, where the world's scheduled events begin.
  EventMarks = new QScatterSeries(c.Population);
  EventMarks->setName("Events");
  EventMarks->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
  EventMarks->setMarkerSize(11);
  EventMarks->setColor(QColor(200, 30, 30));
  c.Population->addSeries(EventMarks);
  for (QAbstractAxis* axis : Animals->attachedAxes()) EventMarks->attachAxis(axis);
  connect(EventMarks, &QScatterSeries::hovered, this, [this](const QPointF& p, bool on) {
    if (on) TellEventsAt(p.x());
  });
  // The branch beside the one shown, when two are compared.
  // Dashed, in colours of their own (purple, dark green), so that they are not taken for
  // the shown branch's lines.
  for (QLineSeries** s : {&BesideAnimals, &BesidePlants}) {
    *s = new QLineSeries(c.Population);
    const QColor colour = s == &BesideAnimals ? QColor(120, 60, 180) : QColor(30, 110, 50);
    QPen pen(colour, 1.5, Qt::DashLine);
    (*s)->setPen(pen);
    c.Population->addSeries(*s);
    for (QAbstractAxis* axis : Animals->attachedAxes()) (*s)->attachAxis(axis);
    for (QLegendMarker* m : c.Population->legend()->markers(*s)) m->setVisible(false);
  }
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

QChartView* TGraphsTab::View(QChart* chart) {
  auto* view = new QChartView(chart, this);
  view->setRenderHint(QPainter::Antialiasing);
  views_.push_back(view);
  return view;
}

void TGraphsTab::Show(const std::vector<TRunSample>& samples, bool byTaxa, const std::vector<TWorldEvent>& events) {
  samples_ = samples;
  byTaxa_ = byTaxa;
  events_ = events;
  ShowRunSamples(charts_, samples, byTaxa);
  QList<QPointF> marks;
  const double last = samples.empty() ? 0 : static_cast<double>(samples.back().Step);
  for (const TWorldEvent& e : events)
    if (static_cast<double>(e.Step) <= last) marks.append({static_cast<double>(e.Step), 0});
  EventMarks->replace(marks);
  for (QLegendMarker* m : charts_.Population->legend()->markers(EventMarks)) m->setVisible(!marks.isEmpty());
}

void TGraphsTab::ShowBeside(const std::vector<TRunSample>& samples, const std::string& name) {
  QList<QPointF> a, p;
  double top = 0;
  for (const TRunSample& r : samples) {
    a.append({static_cast<double>(r.Step), static_cast<double>(r.Animals)});
    p.append({static_cast<double>(r.Step), static_cast<double>(r.Plants)});
    top = std::max({top, static_cast<double>(r.Animals), static_cast<double>(r.Plants)});
  }
  BesideAnimals->replace(a);
  BesidePlants->replace(p);
  BesideAnimals->setName(QString::fromStdString("Animals, " + name));
  BesidePlants->setName(QString::fromStdString("Plants, " + name));
  for (QLineSeries* s : {BesideAnimals, BesidePlants})
    for (QLegendMarker* m : charts_.Population->legend()->markers(s)) m->setVisible(!samples.empty());
  // The value axis grows to hold the other branch's lines too.
  for (QAbstractAxis* axis : Animals->attachedAxes())
    if (auto* values = qobject_cast<QValueAxis*>(axis);
        values && axis->orientation() == Qt::Vertical && top > values->max())
      values->setMax(top * 1.05);
}

void TGraphsTab::TellEventsAt(double step) {
  QStringList texts;
  for (const TWorldEvent& e : events_)
    if (static_cast<double>(e.Step) == step) texts << QString::fromStdString(EventText(e));
  Values->setText(texts.join("; "));
}

void TGraphsTab::TellValuesAt(double step) {
  if (samples_.empty()) return;
  auto it = std::lower_bound(samples_.begin(), samples_.end(), step,
                             [](const TRunSample& r, double s) { return static_cast<double>(r.Step) < s; });
  if (it == samples_.end()) --it;
  Values->setText(QString("step %1: %2 animals, %3 plants, %4 %5, biomass %6, diversity %7")
                      .arg(it->Step)
                      .arg(it->Animals)
                      .arg(it->Plants)
                      .arg(byTaxa_ ? it->Taxa : it->Species)
                      .arg(byTaxa_ ? "taxa" : "species")
                      .arg(it->Biomass)
                      .arg(byTaxa_ ? it->TaxonDiversity : it->Diversity, 0, 'f', 3));
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
