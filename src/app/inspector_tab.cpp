#include "app/inspector_tab.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>

#include "app/angles.h"
#include "app/organ_model.h"
#include "creature/creature.h"
#include "history/run_samples.h"
#include "parts/part.h"
#include "view/run_charts.h"

namespace viv {

namespace {

using Column = TOrganModel::Column;

QString Degrees(float radians) { return QString::number(WholeDegrees(radians)) + QChar(0xB0); }

}  // namespace

TInspectorTab::TInspectorTab(QWidget* parent) : QWidget(parent) {
  Header = new QLabel("Open an information window (double click a creature) to inspect it here.", this);
  Header->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Energy = new QLineSeries;
  Energy->setName("Energy");
  QChart* chart = MakeChart("Energy over its life", {Energy}, "%.0f");
  auto* view = new QChartView(chart, this);
  view->setMinimumHeight(160);
  view->hide();  // an empty chart's axes only confuse: it shows once there is a line to draw
  chartView_ = view;
  OrganRows = new TOrganModel(this);
  auto* sorted = new QSortFilterProxyModel(this);
  sorted->setSourceModel(OrganRows);
  Organs = new QTableView(this);
  Organs->setObjectName("OrganTable");
  Organs->setModel(sorted);
  // The body's order until a header is clicked.
  Organs->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  Organs->setSortingEnabled(true);
  Organs->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Organs->verticalHeader()->hide();
  Organs->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  Organs->horizontalHeader()->setStretchLastSection(true);
  Organs->setColumnWidth(Column::Kind, 60), Organs->setColumnWidth(Column::Id, 90),
      Organs->setColumnWidth(Column::Place, 90);
  Organs->setColumnWidth(Column::Angle, 50), Organs->setColumnWidth(Column::Formula, 220);
  EditButton = new QPushButton("Edit in the animal editor", this);
  EditButton->setEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Header);
  layout->addWidget(EditButton, 0, Qt::AlignLeft);
  layout->addWidget(view, 1);
  layout->addWidget(Organs, 2);
}

void TInspectorTab::Follow(uint64_t serial) {
  Serial = serial;
  died_ = false;
  Energy->clear();
  chartView_->hide();
}

void TInspectorTab::Show(const TCreature* creature, int64_t now) {
  EditButton->setEnabled(creature != nullptr);
  if (!creature) {
    if (Serial && !died_) {
      const QString last = Energy->count() ? Header->text() : QString("The creature of serial %1").arg(Serial);
      Header->setText(last + QString("\nDied at step %1.").arg(now));
    }
    died_ = true;
    return;
  }
  Header->setText(QString("%1, serial %2, parent %3\nage %4 steps, energy %5, %6 organs")
                      .arg(QString::fromStdString(creature->Name))
                      .arg(creature->Serial)
                      .arg(!creature->ParentSerial     ? QString("none")
                           : creature->ParentElsewhere ? QString("%1 of another island").arg(creature->ParentSerial)
                                                       : QString::number(creature->ParentSerial))
                      .arg(now - creature->BirthStep)
                      .arg(static_cast<double>(creature->Energy()), 0, 'f', 1)
                      .arg(creature->Parts.Count()));
  // One point a frame; past MaxPoints every other one goes, so the whole life stays covered.
  const int count = Energy->count();
  if (count == 0 || Energy->at(count - 1).x() < static_cast<double>(now)) {
    Energy->append(static_cast<double>(now), static_cast<double>(creature->Energy()));
    if (Energy->count() > MaxPoints) Energy->replace(EveryOther(Energy->points()));
    const QList<QPointF> points = Energy->points();
    double top = 1;
    for (const QPointF& p : points) top = std::max(top, p.y());
    const auto axes = Energy->attachedAxes();
    // Whole steps at round intervals: a life of a few steps read "313117 313117 313118".
    auto* x = static_cast<QValueAxis*>(axes[0]);
    const double from = points.front().x(), to = std::max(from + 10, points.back().x());
    x->setRange(from, to);
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0);
    x->setTickInterval(RoundTickInterval(to - from));
    axes[1]->setRange(0, top * 1.1);
    if (Energy->count() >= 2) chartView_->show();
  }
  ShowOrgans(*creature);
}

void TInspectorTab::ShowOrgans(const TCreature& creature) {
  const std::vector<TPart*>& parts = creature.Parts.Items;
  std::vector<TOrganModel::TRow> rows;
  rows.reserve(parts.size());
  for (const TPart* organ : parts) {
    const TPart& part = *organ;
    const std::optional<float> turn = part.DirectionAngle(), power = part.MomentaryPower();
    const std::string* text = part.FormulaText();
    const QString angle = turn ? Degrees(*turn) : QString(), formula = text ? QString::fromStdString(*text) : QString();
    QStringList outputs;
    for (int32_t i = 0; i < part.OutputCount(); ++i) outputs << QString::number(part.Output(i), 'g', 4);
    if (power) outputs << QString("power %1").arg(*power, 0, 'f', 1);
    rows.push_back({KindName(part.Kind()), QString::fromStdString(part.Id),
                    QString("r %1, %2").arg(part.R, 0, 'f', 2).arg(Degrees(part.Phi)), angle, formula,
                    outputs.join("  ")});
  }
  OrganRows->SetRows(std::move(rows));
}

}  // namespace viv
