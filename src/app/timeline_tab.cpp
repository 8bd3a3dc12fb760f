#include "app/timeline_tab.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/branch_dialog.h"
#include "app/world_window.h"

namespace viv {
namespace {

QString Count(int64_t n) { return QLocale(QLocale::English).toString(static_cast<qlonglong>(n)); }

QString Legend() {
  QString text;
  const std::pair<TTimelineMark::TKind, const char*> kinds[] = {
      {TTimelineMark::Event, "events"},          {TTimelineMark::Seam, "changed by hand"},
      {TTimelineMark::Fewest, "fewest animals"}, {TTimelineMark::Founded, "lasting taxon founded"},
      {TTimelineMark::Extinct, "extinct"},       {TTimelineMark::Film, "film started"}};
  for (const auto& [kind, name] : kinds)
    text += QString("<span style='color:%1'>&#9660;</span> %2 &nbsp; ").arg(TTimelineBar::ColourOf(kind).name(), name);
  return text;
}

}  // namespace

TTimelineTab::TTimelineTab(QWidget* parent, TWorldWindow* main) : QWidget(parent), main_(main) {
  auto* layout = new QVBoxLayout(this);
  Bar = new TTimelineBar(this);
  layout->addWidget(Bar);
  auto* legend = new QLabel(Legend(), this);
  legend->setTextFormat(Qt::RichText);
  layout->addWidget(legend);
  Summary = new QLabel(this);
  Summary->setWordWrap(true);
  // Heights that do not change with the text, so that the buttons below stay where they are.
  Summary->setMinimumHeight(3 * Summary->fontMetrics().lineSpacing() + 4);
  Summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(Summary);
  Status = new QLabel(this);
  Status->setFixedHeight(Status->fontMetrics().lineSpacing() + 4);
  layout->addWidget(Status);
  auto* buttons = new QHBoxLayout;
  Back = new QPushButton("[  Back", this);
  Forward = new QPushButton("Forward  ]", this);
  Branch = new QPushButton("Branch here...  (B)", this);
  Switch = new QPushButton("Show the other branch  (V)", this);
  StopComparing = new QPushButton("Stop comparing", this);
  for (QPushButton* b : {Back, Forward, Branch, Switch, StopComparing}) buttons->addWidget(b);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  Compare = new QGroupBox("The step shown", this);
  auto* compareLayout = new QVBoxLayout(Compare);
  CompareFigures = new QLabel(Compare);
  CompareFigures->setTextFormat(Qt::RichText);
  compareLayout->addWidget(CompareFigures);
  layout->addWidget(Compare);
  layout->addStretch(1);

  auto go = [this](int64_t step) {
    const std::string failed = main_->Document().GoToStep(step);
    Status->setText(failed.empty() ? QString() : QString::fromStdString(failed));
    Status->setToolTip(Status->text());
  };
  connect(Bar, &TTimelineBar::Chosen, this, go);
  connect(Bar, &TTimelineBar::Seeking, this,
          [this](qint64 step) { Status->setText(QString("Go to step %1").arg(Count(step))); });
  auto by = [this, go](int direction) {
    if (const TTimeline* t = main_->Document().Timeline())
      go(std::clamp<int64_t>(main_->Shown().StepCount() + direction * t->Spacing(), t->First(), t->Last()));
  };
  connect(Back, &QPushButton::clicked, this, [by] { by(-1); });
  connect(Forward, &QPushButton::clicked, this, [by] { by(1); });
  connect(Branch, &QPushButton::clicked, this, [this] { BranchHereAsked(this, main_->Document(), main_->Messages()); });
  connect(Switch, &QPushButton::clicked, this, [this] { SwitchBranchTold(main_->Document(), main_->Messages()); });
  connect(StopComparing, &QPushButton::clicked, this, [this] { main_->Document().StopComparing(); });
  Refresh();
}

void TTimelineTab::Refresh() {
  const TTimeline* t = main_->Document().Timeline();
  const TSimulation& shown = main_->Shown();
  const TBranchWorld* other = main_->Document().Other();
  for (QPushButton* b : {Back, Forward, Branch}) b->setEnabled(t != nullptr && main_->WorldRuns());
  Switch->setEnabled(other != nullptr);
  StopComparing->setEnabled(other != nullptr);
  if (!t || !main_->WorldRuns()) {
    Bar->Show(0, 0, 0, {}, {});
    Summary->setText(main_->WorldRuns() ? "This world keeps no timeline." : "No world runs yet.");
    Compare->hide();
    return;
  }
  Bar->Show(t->First(), t->Last(), shown.StepCount(), t->Keyframes(), main_->Document().TimelineMarks());
  Summary->setText(QString("Step %1 shown (%2). The timeline reaches steps %3 to %4: %5 keyframes, one every %6 "
                           "steps, %7 MB. Click or drag on the bar to go back and watch from there; , and . step "
                           "one back and forward.")
                       .arg(Count(shown.StepCount()), QString::fromStdString(main_->Document().BranchName()),
                            Count(t->First()), Count(t->Last()), Count(static_cast<int64_t>(t->Keyframes().size())),
                            Count(t->Spacing()))
                       .arg(static_cast<double>(t->Bytes()) / (1 << 20), 0, 'f', 1));
  // The figures of the step shown; beside them, those of the branch stepped with it.
  Compare->setVisible(true);
  Compare->setTitle(other ? "Two branches" : "The step shown");
  const TWorldFigures a = shown.Figures();
  const TWorldFigures b = other ? other->Sim.Figures() : TWorldFigures{};
  auto row = [&](const char* name, const QString& x, const QString& y) {
    return QString("<tr><td>%1</td><td align=right>%2</td>").arg(name, x) +
           (other ? QString("<td align=right>%1</td>").arg(y) : QString()) + "</tr>";
  };
  QString html = "<table cellspacing=6><tr><th></th><th>shown: " +
                 QString::fromStdString(main_->Document().BranchName()).toHtmlEscaped() + "</th>" +
                 (other ? "<th>beside: " + QString::fromStdString(other->Name).toHtmlEscaped() + "</th>" : QString()) +
                 "</tr>";
  html += row("step", Count(shown.StepCount()), other ? Count(other->Sim.StepCount()) : QString());
  html += row("animals", Count(a.Animals), Count(b.Animals));
  html += row("plants", Count(a.Plants), Count(b.Plants));
  html += row("species", Count(a.Species), Count(b.Species));
  html += row("biomass", Count(a.Biomass), Count(b.Biomass));
  if (!other) {
    CompareFigures->setText(html + "</table>");
    return;
  }
  const int64_t parted = main_->Document().PartedAt();
  html += "</table><p>" +
          (parted >= 0
               ? QString("The two worlds parted at step <b>%1</b> (their hashes differ from there).").arg(Count(parted))
               : QString("The two worlds are the same so far (same hash at every step).")) +
          "</p>";
  CompareFigures->setText(html);
}

}  // namespace viv
