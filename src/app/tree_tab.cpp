#include "app/tree_tab.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/error_box.h"
#include "config/files.h"
#include "view/qpainter_canvas.h"
#include "view/run_charts.h"

namespace viv {

namespace {

constexpr int LeftMargin = 8, AxisHeight = 22, LabelWidth = 150;
const QColor Dimmed(185, 185, 185);

}  // namespace

TTreeTab::TTreeTab(QWidget* parent) : QWidget(parent) {
  View = new TSpeciesTreeView(this);
  scroll_ = new QScrollArea(this);
  scroll_->setWidget(View);
  scroll_->setWidgetResizable(true);
  connect(View, &TSpeciesTreeView::Picked, this, &TTreeTab::Picked);
  connect(View, &TSpeciesTreeView::ZoomAsked, this, &TTreeTab::ZoomBy);
  LivingOnly = new QCheckBox("Living lineages only", this);
  LivingOnly->setChecked(true);
  HideShortLived = new QCheckBox("Hide extinct species that lived under 5,000 steps", this);
  HideShortLived->setChecked(true);
  HideShortLived->setEnabled(false);
  connect(LivingOnly, &QCheckBox::toggled, HideShortLived, [this](bool on) { HideShortLived->setEnabled(!on); });
  Find = new QLineEdit(this);
  Find->setPlaceholderText("Find by name");
  Find->setClearButtonEnabled(true);
  Find->setMaximumWidth(160);
  connect(Find, &QLineEdit::returnPressed, this, [this] { FindNext(Find->text()); });
  auto* zoomIn = new QPushButton("Zoom in", this);
  auto* zoomOut = new QPushButton("Zoom out", this);
  connect(zoomIn, &QPushButton::clicked, this, [this] { ZoomBy(2); });
  connect(zoomOut, &QPushButton::clicked, this, [this] { ZoomBy(0.5); });
  Summary = new QLabel(this);
  auto* exportButton = new QPushButton("Export Newick...", this);
  connect(exportButton, &QPushButton::clicked, this, [this] {
    const QString name =
        QFileDialog::getSaveFileName(this, "Export the species tree", "species.nwk", "Newick trees (*.nwk *.tree)");
    if (!name.isEmpty()) ExportNewick(name);
  });
  auto* topButton = new QPushButton("Back to the top", this);
  topButton->setObjectName("TopButton");
  connect(topButton, &QPushButton::clicked, this, [this] { scroll_->verticalScrollBar()->setValue(0); });
  // What is shown on one row, the tools on the next, so that the tab stays narrow.
  auto* shown = new QHBoxLayout;
  shown->addWidget(LivingOnly);
  shown->addWidget(HideShortLived);
  shown->addStretch(1);
  auto* tools = new QHBoxLayout;
  tools->addWidget(Find);
  tools->addWidget(zoomIn);
  tools->addWidget(zoomOut);
  tools->addStretch(1);
  tools->addWidget(topButton);
  tools->addWidget(exportButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(shown);
  layout->addLayout(tools);
  layout->addWidget(scroll_, 1);
  layout->addWidget(Summary);
}

void TTreeTab::Show(const TSpeciesHistory& history, int64_t now, const std::map<std::string, TColor>& colours,
                    bool taxa) {
  HideShortLived->setText(taxa ? "Hide extinct taxa that lived under 5,000 steps"
                               : "Hide extinct species that lived under 5,000 steps");
  View->History = &history;
  View->Rows = SpeciesTreeRows(history, HideShortLived->isChecked() ? TSpeciesHistory::PersistenceSteps : 0,
                               LivingOnly->isChecked());
  View->Now = std::max<int64_t>(now, 1);
  View->Colours = colours;
  View->Relayout();
  if (scrollPending_) ScrollToSelected();
  Summary->setText(QString("%1 of %2 %4 shown; %3 alive. Click a branch to select its %5.")
                       .arg(View->Rows.size())
                       .arg(history.Emergences.size())
                       .arg(colours.size())
                       .arg(taxa ? "taxa" : "species", taxa ? "taxon" : "species"));
}

void TTreeTab::Select(const std::string& name) {
  if (View->Selected == name) return;
  View->Selected = name;
  View->update();
  scrollPending_ = true;
  ScrollToSelected();
}

void TTreeTab::ScrollToSelected() {
  if (!View->History) return;
  const std::vector<TEmergence>& all = View->History->Emergences;
  for (size_t row = 0; row < View->Rows.size(); ++row) {
    const int32_t k = View->Rows[row].Emergence;
    if (static_cast<size_t>(k) >= all.size() || all[k].Name != View->Selected) continue;
    scroll_->ensureVisible(0, static_cast<int>(row) * TSpeciesTreeView::RowHeight + AxisHeight, 0, 40);
    scrollPending_ = false;
    return;
  }
}

void TTreeTab::ZoomBy(double factor) {
  const double zoom = std::clamp(View->Zoom * factor, 1.0, 256.0);
  if (zoom == View->Zoom) return;
  QScrollBar* bar = scroll_->horizontalScrollBar();
  const double middle = (bar->value() + scroll_->viewport()->width() / 2.0) / std::max(1, View->width());
  View->Zoom = zoom;
  View->setMinimumWidth(zoom > 1 ? static_cast<int>(scroll_->viewport()->width() * zoom) : 0);
  View->adjustSize();
  bar->setValue(static_cast<int>(middle * View->width() - scroll_->viewport()->width() / 2.0));
}

bool TTreeTab::FindNext(const QString& text) {
  if (!View->History || text.isEmpty()) return false;
  const std::vector<TEmergence>& all = View->History->Emergences;
  const size_t n = View->Rows.size();
  size_t from = 0;
  for (size_t row = 0; row < n; ++row)
    if (static_cast<size_t>(View->Rows[row].Emergence) < all.size() &&
        all[View->Rows[row].Emergence].Name == View->Selected)
      from = row + 1;
  for (size_t k = 0; k < n; ++k) {
    const int32_t e = View->Rows[(from + k) % n].Emergence;
    if (static_cast<size_t>(e) >= all.size() ||
        !QString::fromStdString(all[e].Label()).contains(text, Qt::CaseInsensitive))
      continue;
    Find->setStyleSheet("");
    Select(all[e].Name);
    emit Picked(QString::fromStdString(all[e].Name));
    return true;
  }
  Find->setStyleSheet("background: #ffd8d8");
  return false;
}

bool TTreeTab::ExportNewick(const QString& fileName) {
  try {
    WriteFileAtomically(fileName.toStdString(), (View->History ? *View->History : TSpeciesHistory()).Newick(), false);
    return true;
  } catch (const std::exception& e) {
    ShowErrorBox(this, "Vivarion Observatory", QString::fromStdString(e.what()));
    return false;
  }
}

TSpeciesTreeView::TSpeciesTreeView(QWidget* parent) : QWidget(parent) {
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
}

void TSpeciesTreeView::Relayout() {
  setMinimumHeight(AxisHeight + static_cast<int>(Rows.size()) * RowHeight + 4);
  update();
}

void TSpeciesTreeView::wheelEvent(QWheelEvent* e) {
  if (!(e->modifiers() & Qt::ControlModifier) || e->angleDelta().y() == 0) return QWidget::wheelEvent(e);
  emit ZoomAsked(e->angleDelta().y() > 0 ? 1.25 : 0.8);
  e->accept();
}

double TSpeciesTreeView::XOf(int64_t step) const {
  const double plot = std::max(40, width() - LeftMargin - LabelWidth);
  return LeftMargin + plot * static_cast<double>(step) / static_cast<double>(Now);
}

int TSpeciesTreeView::RowAt(int y) const {
  const int row = (y - AxisHeight) / RowHeight;
  return y >= AxisHeight && row < static_cast<int>(Rows.size()) ? row : -1;
}

void TSpeciesTreeView::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QRect exposed = e->rect();
  // The time axis along the top.
  p.setPen(palette().color(QPalette::Text));
  QFont small = font();
  small.setPixelSize(10);
  p.setFont(small);
  const auto interval = static_cast<int64_t>(RoundTickInterval(static_cast<double>(Now) / Zoom));
  for (int64_t step = 0; step <= Now; step += std::max<int64_t>(interval, 1)) {
    const int x = static_cast<int>(XOf(step));
    p.drawLine(x, AxisHeight - 6, x, AxisHeight - 2);
    const QString text = QString::number(step);
    const int w = p.fontMetrics().horizontalAdvance(text);
    p.drawText(std::clamp(x - w / 2, 0, std::max(0, width() - w)), AxisHeight - 9, text);
  }
  if (!History) return;
  const std::vector<TEmergence>& all = History->Emergences;
  auto yOf = [](size_t row) { return AxisHeight + static_cast<int>(row) * RowHeight + RowHeight / 2; };
  for (size_t row = 0; row < Rows.size(); ++row) {
    const TTreeRow& r = Rows[row];
    if (static_cast<size_t>(r.Emergence) >= all.size()) continue;
    const int y = yOf(row);
    // The link from the parent's row reaches down from above: draw it when it crosses the
    // exposed part.
    const int top = r.ParentRow >= 0 ? yOf(static_cast<size_t>(r.ParentRow)) : y;
    if (y + RowHeight < exposed.top() || top - RowHeight > exposed.bottom()) continue;
    const TEmergence& s = all[r.Emergence];
    const bool alive = s.Alive > 0;
    const bool selected = !Selected.empty() && s.Name == Selected;
    auto colour = Colours.find(s.Name);
    const QColor line = alive && colour != Colours.end() ? ToQColor(colour->second).darker(120) : Dimmed;
    const int x0 = static_cast<int>(XOf(s.FirstStep));
    const int x1 = std::max(x0 + 1, static_cast<int>(XOf(alive ? Now : s.LastStep)));
    p.setPen(QPen(Dimmed, 1));
    if (r.ParentRow >= 0) p.drawLine(x0, top, x0, y);
    if (selected) p.fillRect(QRect(x0 - 2, y - RowHeight / 2 + 1, x1 - x0 + 4, RowHeight - 2), QColor(255, 230, 0));
    p.setPen(QPen(line, alive ? 3 : 2));
    p.drawLine(x0, y, x1, y);
    QFont label = small;
    label.setBold(selected);
    p.setFont(label);
    p.setPen(alive ? palette().color(QPalette::Text) : Dimmed.darker(130));
    p.drawText(x1 + 4, y + 4, QString::fromStdString(s.Label()));
  }
}

void TSpeciesTreeView::mousePressEvent(QMouseEvent* e) {
  const int row = RowAt(static_cast<int>(e->position().y()));
  if (row < 0 || !History || static_cast<size_t>(Rows[row].Emergence) >= History->Emergences.size()) return;
  Selected = History->Emergences[Rows[row].Emergence].Name;
  update();
  emit Picked(QString::fromStdString(Selected));
}

}  // namespace viv
