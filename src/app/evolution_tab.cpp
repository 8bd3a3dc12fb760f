#include "app/evolution_tab.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <initializer_list>

#include "view/run_charts.h"

namespace viv {

namespace {

QLineSeries* Line(const QString& name) {
  auto* s = new QLineSeries;
  s->setName(name);
  return s;
}

QScatterSeries* Dots(const QString& name, const QColor& colour) {
  auto* s = new QScatterSeries;
  s->setName(name);
  s->setMarkerSize(3.5);
  s->setColor(colour);
  s->setBorderColor(colour);
  return s;
}

// From the first sample to the last, from 0 to the largest value of the series.
void Fit(const std::vector<TEvolutionSample>& samples, std::initializer_list<QXYSeries*> all) {
  double top = 1;
  for (QXYSeries* series : all)
    for (const QPointF& q : series->points()) top = std::max(top, q.y());
  const auto axes = (*all.begin())->attachedAxes();
  if (axes.size() < 2) return;
  const double from = samples.empty() ? 0 : static_cast<double>(samples.front().Step);
  const double to = samples.empty() ? 1 : std::max(from + 1, static_cast<double>(samples.back().Step));
  const QChart* chart = (*all.begin())->chart();
  FitAxes(axes, from, to, top, chart ? chart->plotArea().width() : 0);
}

// What the age of the living animals' common ancestor says, the one reading that applies.
QString AncestorReading(int64_t step, int64_t age) {
  if (age >= step)
    return "The living animals descend from different founders: their lineages have lived side by side since the "
           "world began.";
  return QString(
             "The living animals descend from one taxon founded %1 steps ago: every other lineage of that time "
             "has died out since.")
      .arg(age);
}

}  // namespace

TEvolutionTab::TEvolutionTab(QWidget* parent) : QWidget(parent) {
  Taxa = Line("Taxa alive"), Persistent = Line("Persistent taxa");
  Change = Line("Change"), Novelty = Line("Novelty");
  Ecology = Line("Ecology (Shannon, persistent taxa)"), Complexity = Line("Complexity (organs used)");
  Activity = Line("Activity"), ShadowActivity = Line("Neutral shadow");
  Waves = Dots("Taxa", QColor(0x20, 0x70, 0xD0)), ShadowWaves = Dots("Neutral shadow", QColor(0xA0, 0xA0, 0xA0));
  QChart* charts[] = {
      MakeChart("Taxa by step", {Taxa, Persistent}, "%.0f"),
      MakeChart("Change and novelty, per report", {Change, Novelty}, "%.0f"),
      MakeChart("Ecology by step", {Ecology}, "%.2f"),
      MakeChart("Complexity by step", {Complexity}, "%.0f"),
      MakeChart("Activity of the living taxa", {Activity, ShadowActivity}, "%.0f"),
      MakeChart("Activity waves (each taxon)", {}, "%.0f"),
  };
  // The waves are dots, so that thousands of taxa cost two series.
  for (QScatterSeries* s : {ShadowWaves, Waves}) {
    charts[5]->addSeries(s);
    for (QAbstractAxis* axis : charts[5]->axes()) s->attachAxis(axis);
  }
  charts[5]->legend()->setVisible(true);
  auto* grid = new QGridLayout;
  for (int k = 0; k < 6; ++k) {
    auto* view = new QChartView(charts[k], this);
    view->setRenderHint(QPainter::Antialiasing);
    grid->addWidget(view, k / 2, k % 2);
  }
  Summary = new QLabel(this);
  Summary->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addWidget(Summary);
}

void TEvolutionTab::Show(const TEvolutionGraphs& graphs) {
  QList<QPointF> taxa, persistent, change, novelty, ecology, complexity, activity, shadow, waves, shadowWaves;
  for (const TEvolutionSample& r : graphs.Samples) {
    const double x = static_cast<double>(r.Step);
    const TEvolutionStats& s = r.Stats;
    taxa.append({x, static_cast<double>(s.Taxa)}), persistent.append({x, static_cast<double>(s.Persistent)});
    change.append({x, static_cast<double>(s.Change)}), novelty.append({x, static_cast<double>(s.Novelty)});
    ecology.append({x, s.Ecology}), complexity.append({x, static_cast<double>(s.Complexity)});
    activity.append({x, s.Activity}), shadow.append({x, s.ShadowActivity});
  }
  for (const TWavePoint& w : graphs.Waves)
    (w.Shadow ? shadowWaves : waves).append({static_cast<double>(w.Step), w.Activity});
  Taxa->replace(taxa), Persistent->replace(persistent), Change->replace(change), Novelty->replace(novelty);
  Ecology->replace(ecology), Complexity->replace(complexity), Activity->replace(activity);
  ShadowActivity->replace(shadow), Waves->replace(waves), ShadowWaves->replace(shadowWaves);
  const auto& samples = graphs.Samples;
  Fit(samples, {Taxa, Persistent});
  Fit(samples, {Change, Novelty});
  Fit(samples, {Ecology});
  Fit(samples, {Complexity});
  Fit(samples, {Activity, ShadowActivity});
  Fit(samples, {Waves, ShadowWaves});
  if (samples.empty()) {
    Summary->setText("The measures come every 1,000 steps of the world.");
    return;
  }
  int64_t novel = 0, active = 0, shadowActive = 0;
  for (const TEvolutionSample& r : samples)
    novel += r.Stats.Novelty, active += r.Stats.NewActivity, shadowActive += r.Stats.ShadowNewActivity;
  const TEvolutionStats& last = samples.back().Stats;
  Summary->setText(QString("Step %1: %2 taxa alive, %3 persistent. Since this window began: %4 novel persistent "
                           "body plans; %5 taxa became active, against %6 in the neutral shadow (activity above the "
                           "shadow's is a sign of selection). %7")
                       .arg(samples.back().Step)
                       .arg(last.Taxa)
                       .arg(last.Persistent)
                       .arg(novel)
                       .arg(active)
                       .arg(shadowActive)
                       .arg(AncestorReading(samples.back().Step, last.AncestorAge)));
}

}  // namespace viv
