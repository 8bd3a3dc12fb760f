#include "app/observatory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "app/key_bindings.h"
#include "app/ticks.h"
#include "app/world_window.h"
#include "view/frame.h"
#include "view/qpainter_canvas.h"

namespace viv {

namespace {

using Column = TSpeciesModel::Column;

}  // namespace

TfrmObservatory::TfrmObservatory(TWorldWindow* main) : QWidget(nullptr), main_(main) {
  setObjectName("frmObservatory");
  setWindowTitle("Vivarion Observatory");
  resize(720, 700);
  Tabs = new QTabWidget(this);
  SpeciesRows = new TSpeciesModel(this);
  auto* sorted = new QSortFilterProxyModel(this);
  sorted->setSourceModel(SpeciesRows);
  SpeciesTable = new QTableView(this);
  SpeciesTable->setModel(sorted);
  SpeciesTable->setObjectName("SpeciesTable");
  SpeciesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  SpeciesTable->setSelectionMode(QAbstractItemView::SingleSelection);
  SpeciesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SpeciesTable->setSortingEnabled(true);
  SpeciesTable->verticalHeader()->hide();
  SpeciesTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  SpeciesTable->horizontalHeader()->setSectionResizeMode(Column::Name,
                                                         QHeaderView::Stretch);  // the columns fill the width
  SpeciesTable->sortByColumn(Column::Alive, Qt::DescendingOrder);
  connect(SpeciesTable->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    const std::string label = SelectedSpecies();
    Outline(label);
    Tree->Select(label);
  });
  GroupBy = new QComboBox(this);
  GroupBy->setObjectName("GroupBy");
  GroupBy->addItems({"body plan (taxa)", "name (species)"});
  connect(GroupBy, &QComboBox::currentIndexChanged, this, [this] {
    // Another grouping: the rows, the selection and the ring start again.
    SpeciesRows->Clear();
    Outline("");
    Tree->Select("");
    SpeciesRows->SetNameHeader(ByTaxa() ? "Taxon" : "Species");
    Refresh(true);
  });
  connect(SpeciesTable, &QTableView::doubleClicked, this, [this] { FollowSelected(); });
  Graphs = new TGraphsTab(this);
  Tabs->addTab(Graphs, "Graphs");
  Tabs->addTab(SpeciesTable, "Species");
  Tree = new TTreeTab(this);
  Tabs->addTab(Tree, "Tree");
  connect(Tree, &TTreeTab::Picked, this, [this](const QString& name) { Select(name.toStdString()); });
  connect(Tree->HideShortLived, &QCheckBox::toggled, this, [this] { Refresh(true); });
  connect(Tree->LivingOnly, &QCheckBox::toggled, this, [this] { Refresh(true); });
  Inspector = new TInspectorTab(this);
  Tabs->addTab(Inspector, "Inspector");
  connect(Inspector->EditButton, &QPushButton::clicked, this,
          [this] { main_->Companions().EditCreature(Inspector->Serial); });
  Evolution = new TEvolutionTab(this);
  Tabs->addTab(Evolution, "Evolution");
  Timeline = new TTimelineTab(this, main_);
  Tabs->addTab(Timeline, "Timeline");
  connect(Tabs, &QTabWidget::currentChanged, this, [this] { Refresh(true); });

  auto* save = new QPushButton("Save world...", this);
  auto* open = new QPushButton("Open world...", this);
  connect(save, &QPushButton::clicked, this, [this] { main_->SaveWorldDialog(); });
  connect(open, &QPushButton::clicked, this, [this] { main_->OpenWorldDialog(); });
  Help = new QLabel(
      "Keys of the main window, here too: arrows scroll, A/Q zoom, X/Z rotate, space pauses, - and + slow down and "
      "speed up, S saves the species, T colours the taxa, Ctrl+S / Ctrl+O save and open the world, O shows or hides "
      "this window; , and . step back and forward, [ and ] go back and forward a keyframe, B branches, V shows the "
      "other branch.",
      this);
  Help->setWordWrap(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addWidget(open);
  buttons->addStretch(1);
  buttons->addWidget(new QLabel("Group the animals by", this));
  buttons->addWidget(GroupBy);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Tabs, 1);
  layout->addLayout(buttons);
  layout->addWidget(Help);
  // The main window's keys work from here too, whichever part has the focus (the table
  // would otherwise take letters for its search and space for its selection).
  installEventFilter(this);
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

bool TfrmObservatory::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (IsWorldKey(BindingKey(*key), key->modifiers() & Qt::ControlModifier)) {
      QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                     key->nativeModifiers(), key->text());
      QCoreApplication::sendEvent(main_->Widget(), &copy);
      return true;
    }
  }
  return QWidget::eventFilter(watched, e);
}

void TfrmObservatory::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (placed_) return;  // later it opens again where it was left
  placed_ = true;
  // Beside the main window where the screen has room; else narrower (down to its smallest) at
  // the screen's edge on the side with more room, so that it keeps off the world's centre.
  const QScreen* screen = main_->Widget()->screen();
  if (!screen) return;
  const QRect room = screen->availableGeometry();
  const QRect mainFrame = main_->Widget()->frameGeometry();
  const QSize frame = frameGeometry().size(), border = frame - size();
  const int gap = 8, rightRoom = room.right() - mainFrame.right() - gap,
            leftRoom = mainFrame.left() - room.left() - gap;
  int x;
  if (frame.width() <= rightRoom) {
    x = mainFrame.right() + gap;
  } else if (frame.width() <= leftRoom) {
    x = mainFrame.left() - gap - frame.width();
  } else {
    resize(std::max(rightRoom, leftRoom) - border.width(), height());  // no less than its minimum
    x = rightRoom >= leftRoom ? room.right() + 1 - frameGeometry().width() : room.left();
  }
  const int y = std::clamp(mainFrame.top(), room.top(), std::max(room.top(), room.bottom() - frame.height()));
  move(x, y);
}

std::string TfrmObservatory::SelectedSpecies() const {
  for (const QModelIndex& row : SpeciesTable->selectionModel()->selectedRows(Column::Name))
    return row.data().toString().toStdString();
  return {};
}

void TfrmObservatory::SelectRowOf(const std::string& name) {
  SpeciesTable->clearSelection();
  const QAbstractItemModel* view = SpeciesTable->model();
  for (int row = 0; row < view->rowCount() && !name.empty(); ++row)
    if (view->index(row, Column::Name).data().toString().toStdString() == name) SpeciesTable->selectRow(row);
}

void TfrmObservatory::Refresh(bool now) {
  if (!isVisible()) return;
  // The inspector follows the creature of the last information window opened, else the one
  // held with the mouse; it stays on one that died until another is chosen.
  const uint64_t wanted = main_->Companions().InspectedSerial();
  if (wanted && wanted != Inspector->Serial) Inspector->Follow(wanted);
  Inspector->Show(main_->Shown().Population().FindSerial(Inspector->Serial), main_->Shown().StepCount());
  const int64_t tick = TickCount();
  if (!now && tick - refreshedTick_ < 500) return;
  refreshedTick_ = tick;
  // Hidden tabs wait: a tree of tens of thousands of species is laid out only when seen.
  if (Tabs->currentWidget() == Graphs) {
    Graphs->Show(main_->Document().Graphs().Samples, ByTaxa(), main_->Shown().Events());
    const TBranchWorld* other = main_->Document().Other();
    Graphs->ShowBeside(other ? other->Graphs.Samples : std::vector<TRunSample>(), other ? other->Name : "");
  }
  if (Tabs->currentWidget() == Timeline) Timeline->Refresh();
  if (Tabs->currentWidget() == Evolution) Evolution->Show(main_->Document().Evolution());
  if (Tabs->currentWidget() == SpeciesTable || Tabs->currentWidget() == Tree) RefreshSpecies();
}

void TfrmObservatory::RefreshSpecies() {
  // One row per living species, with the colour of a living member.
  struct Row {
    int64_t alive = 0;
    TColor colour = 0;
  };
  std::map<std::string, Row> rows;
  std::map<std::string, TColor> colours;
  const bool byTaxa = ByTaxa();
  if (byTaxa) {
    taxa_.Emergences = main_->Shown().Taxa().AsEmergences();
    taxonIds_.clear();
    for (const TTaxon& t : main_->Shown().Taxa().Taxa)
      if (t.Alive > 0) taxonIds_[t.Label] = t.Id;
  }
  for (const TCreature* c : main_->Shown().Population().List) {
    if (c->Vegetable) continue;
    const std::string label = GroupLabel(*c);
    Row& r = rows[label];
    if (r.alive++ == 0) r.colour = colours[label] = byTaxa ? TaxonColour(c->Taxon) : c->Color;
  }
  const TSpeciesHistory& history = byTaxa ? taxa_ : main_->Shown().History();
  if (Tabs->currentWidget() == Tree) Tree->Show(history, main_->Shown().StepCount(), colours, byTaxa);
  // Rows keep their place and figures while the pointer is over them, so that a click lands on
  // the row it was aimed at; they are brought up to date once it leaves.
  if (SpeciesTable->viewport()->underMouse() && SpeciesRows->rowCount() > 0) return;
  const std::string selected = SelectedSpecies();
  std::map<std::string, const TEmergence*> latest;
  for (const TEmergence& e : history.Emergences) latest[e.Name] = &e;
  std::vector<TSpeciesRow> table;
  for (const auto& [name, r] : rows) {
    const TEmergence* e = latest.count(name) ? latest[name] : nullptr;
    table.push_back({name, r.colour, r.alive, e ? e->FirstStep : 0, e ? e->Peak : r.alive,
                     e && e->Parent >= 0 ? history.Emergences[e->Parent].Label() : ""});
  }
  // Updated in place and sorted again by the proxy as the header says: the header keeps its
  // mark and the columns their widths. The selection stays with the species picked; when that
  // one has died out nothing is selected or ringed.
  SpeciesTable->selectionModel()->blockSignals(true);
  SpeciesRows->SetRows(std::move(table));
  SelectRowOf(selected);
  SpeciesTable->selectionModel()->blockSignals(false);
  if (!selected.empty() && !rows.count(selected)) Outline("");
}

void TfrmObservatory::Select(const std::string& name) {
  // The table lists living species only; an extinct one picked in the tree is highlighted
  // there, and rings nothing.
  SelectRowOf(name);
  Outline(name);
  Tree->Select(name);
}

bool TfrmObservatory::ByTaxa() const { return GroupBy->currentIndex() == 0; }

std::string TfrmObservatory::GroupLabel(const TCreature& animal) const {
  return ByTaxa() ? main_->Shown().Taxa().LabelOf(animal) : animal.SpeciesLabel();
}

void TfrmObservatory::Outline(const std::string& label) {
  const auto it = taxonIds_.find(label);
  main_->Outline(ByTaxa() ? std::string() : label, ByTaxa() && it != taxonIds_.end() ? it->second : 0);
}

void TfrmObservatory::FollowSelected() {
  const std::string name = SelectedSpecies();
  for (const TCreature* c : main_->Shown().Population().List) {
    if (c->Vegetable || GroupLabel(*c) != name) continue;
    main_->Companions().OpenInfoWindow(*c);
    return;
  }
}

}  // namespace viv
