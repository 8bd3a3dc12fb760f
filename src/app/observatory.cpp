#include "app/observatory.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>

#include "app/main_window.h"
#include "view/qpainter_canvas.h"

namespace viv {

namespace {

enum Column { Swatch, Name, Alive, FirstSeen, Parent, Peak, Columns };

// A cell that sorts by its number, not its text.
QTableWidgetItem* Number(int64_t value) {
  auto* item = new QTableWidgetItem;
  item->setData(Qt::DisplayRole, static_cast<qlonglong>(value));
  return item;
}

}  // namespace

TfrmObservatory::TfrmObservatory(TfrmVivarion* main) : QWidget(nullptr), main_(main) {
  setObjectName("frmObservatory");
  setWindowTitle("Vivarion Observatory");
  resize(720, 700);
  Tabs = new QTabWidget(this);
  SpeciesTable = new QTableWidget(0, Columns, this);
  SpeciesTable->setObjectName("SpeciesTable");
  SpeciesTable->setHorizontalHeaderLabels({"", "Species", "Alive", "First seen", "Parent", "Peak"});
  SpeciesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  SpeciesTable->setSelectionMode(QAbstractItemView::SingleSelection);
  SpeciesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SpeciesTable->setSortingEnabled(true);
  SpeciesTable->verticalHeader()->hide();
  SpeciesTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  SpeciesTable->sortByColumn(Alive, Qt::DescendingOrder);
  connect(SpeciesTable, &QTableWidget::itemSelectionChanged, this, [this] {
    main_->OutlinedSpecies = SelectedSpecies();
    main_->NeedsRedraw = true;
  });
  connect(SpeciesTable, &QTableWidget::cellDoubleClicked, this, [this] { FollowSelected(); });
  Graphs = new TGraphsTab(this);
  Tabs->addTab(Graphs, "Graphs");
  Tabs->addTab(SpeciesTable, "Species");

  auto* save = new QPushButton("Save world...", this);
  auto* open = new QPushButton("Open world...", this);
  connect(save, &QPushButton::clicked, main_, &TfrmVivarion::SaveWorldDialog);
  connect(open, &QPushButton::clicked, main_, &TfrmVivarion::OpenWorldDialog);
  Help = new QLabel(
      "Keys of the main window: arrows scroll, A/Q zoom, X/Z rotate, space pauses, S saves the species, "
      "Ctrl+S / Ctrl+O save and open the world, O shows or hides this window.",
      this);
  Help->setWordWrap(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addWidget(open);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Tabs, 1);
  layout->addLayout(buttons);
  layout->addWidget(Help);
}

std::string TfrmObservatory::SelectedSpecies() const {
  const QList<QTableWidgetItem*> items = SpeciesTable->selectedItems();
  for (const QTableWidgetItem* item : items)
    if (item->column() == Name) return item->text().toStdString();
  return {};
}

void TfrmObservatory::Refresh(bool now) {
  if (!isVisible()) return;
  const int64_t tick = TickCount();
  if (!now && tick - refreshedTick_ < 500) return;
  refreshedTick_ = tick;
  Graphs->Show(main_->Graphs.Samples);
  // One row per living species, with the colour of a living member.
  struct Row {
    int64_t alive = 0;
    TColor colour = 0;
  };
  std::map<std::string, Row> rows;
  for (const TCreature* c : main_->Population.List) {
    if (c->Vegetable) continue;
    Row& r = rows[c->Name];
    if (r.alive++ == 0) r.colour = c->Color;
  }
  const std::string selected = SelectedSpecies();
  const TSpeciesHistory& history = main_->Sim.History;
  std::map<std::string, const TEmergence*> latest;
  for (const TEmergence& e : history.Emergences) latest[e.Name] = &e;
  SpeciesTable->setSortingEnabled(false);
  SpeciesTable->blockSignals(true);
  SpeciesTable->setRowCount(static_cast<int>(rows.size()));
  int row = 0, selectedRow = -1;
  for (const auto& [name, r] : rows) {
    const TEmergence* e = latest.count(name) ? latest[name] : nullptr;
    auto* swatch = new QTableWidgetItem;
    swatch->setBackground(ToQColor(r.colour));
    SpeciesTable->setItem(row, Swatch, swatch);
    SpeciesTable->setItem(row, Name, new QTableWidgetItem(QString::fromStdString(name)));
    SpeciesTable->setItem(row, Alive, Number(r.alive));
    SpeciesTable->setItem(row, FirstSeen, Number(e ? e->FirstStep : 0));
    const std::string parent = e && e->Parent >= 0 ? history.Emergences[e->Parent].Label() : "";
    SpeciesTable->setItem(row, Parent, new QTableWidgetItem(QString::fromStdString(parent)));
    SpeciesTable->setItem(row, Peak, Number(e ? e->Peak : r.alive));
    if (name == selected) selectedRow = row;
    ++row;
  }
  SpeciesTable->setSortingEnabled(true);
  if (selectedRow >= 0) {
    const QTableWidgetItem* item = SpeciesTable->item(selectedRow, Name);
    SpeciesTable->selectRow(item->row());  // rows moved when sorting came back on
  }
  SpeciesTable->blockSignals(false);
  if (selectedRow < 0 && !selected.empty()) {  // the species died out
    main_->OutlinedSpecies.clear();
    main_->NeedsRedraw = true;
  }
}

void TfrmObservatory::FollowSelected() {
  const std::string name = SelectedSpecies();
  for (const TCreature* c : main_->Population.List) {
    if (c->Vegetable || c->Name != name) continue;
    main_->OpenInfoWindow(*c);
    main_->NeedsRedraw = true;
    return;
  }
}

}  // namespace viv
