#include "app/main_window.h"

#include <sys/resource.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <filesystem>
#include <thread>

#include "app/animal_editor.h"
#include "app/info_window.h"
#include "app/observatory.h"
#include "config/data_files.h"
#include "config/duck.h"
#include "config/files.h"
#include "config/settings.h"
#include "view/frame.h"

namespace viv {

int64_t TickCountAt(std::chrono::steady_clock::time_point moment) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count();
}

int64_t TickCount() { return TickCountAt(std::chrono::steady_clock::now()); }

TfrmVivarion::TfrmVivarion(int32_t runLimitSeconds, const TSettings& rules)
    : StartTick(TickCount()), RunLimitMs(1000 * static_cast<int64_t>(runLimitSeconds)) {
  doc_.Sim().StartUp(rules, std::nullopt);
  setWindowTitle("Vivarion 0.35");
  setObjectName("frmVivarion");
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  resize(800, 600);

  gbSettings = new QGroupBox("Use these animals:", this);
  gbSettings->setObjectName("gbSettings");
  gbSettings->setGeometry(rect());
  Label1 = new QLabel("Select the animal files you want to use for the simulation, or none to use the build in one.",
                      gbSettings);
  Label1->setObjectName("Label1");
  Label1->setGeometry(16, 16, 193, 41);
  Label1->setWordWrap(true);
  chklAnimals = new QListWidget(gbSettings);
  chklAnimals->setObjectName("chklAnimals");
  chklAnimals->setGeometry(16, 56, 193, 169);
  // A click on a file name ticks or unticks it, as a click on its box does (the box
  // toggles itself before the click is reported).
  connect(chklAnimals, &QListWidget::itemPressed, this,
          [this](QListWidgetItem* item) { pressedCheck_ = item->checkState(); });
  connect(chklAnimals, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (item->checkState() == pressedCheck_)
      item->setCheckState(pressedCheck_ == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  });
  butGo = new QPushButton("Go", gbSettings);
  butGo->setObjectName("butGo");
  butGo->setGeometry(136, 232, 75, 25);
  butGo->setDefault(true);
  connect(butGo, &QPushButton::clicked, this, &TfrmVivarion::butGoClick);
  butResume = new QPushButton("Resume last world", gbSettings);
  butResume->setObjectName("butResume");
  // A row of its own under "Open world...": beside Go there is no room for its text.
  butResume->setGeometry(16, 360, std::max(195, butResume->sizeHint().width()), 25);
  butResume->setProperty("homeY", 360);
  butResume->hide();
  connect(butResume, &QPushButton::clicked, this, [this] { OpenWorld(LastWorldFile()); });

  butEditor_ = new QPushButton("Animal editor...", gbSettings);
  butEditor_->setObjectName("butEditor");
  butEditor_->setGeometry(16, 296, 195, 25);
  butEditor_->setProperty("homeY", 296);
  connect(butEditor_, &QPushButton::clicked, this, &TfrmVivarion::EditFromStartPanel);
  butOpenWorld = new QPushButton("Open world...", gbSettings);
  butOpenWorld->setObjectName("butOpenWorld");
  butOpenWorld->setGeometry(16, 328, 195, 25);
  butOpenWorld->setProperty("homeY", 328);
  connect(butOpenWorld, &QPushButton::clicked, this, &TfrmVivarion::OpenWorldDialog);
  // Said over the empty list, so that an empty panel is not a mystery.
  lblNoAnimals = new QLabel(gbSettings);
  lblNoAnimals->setObjectName("lblNoAnimals");
  lblNoAnimals->setWordWrap(true);
  lblNoAnimals->setAlignment(Qt::AlignCenter);
  lblNoAnimals->setAttribute(Qt::WA_TransparentForMouseEvents);
  lblNoAnimals->hide();

  // How many animals and plants Go seeds, shown and changeable here (the population file gives
  // the numbers the panel starts with; with several files ticked, the animals take them in turn).
  auto count = [&](const char* name, const char* label, int x, QSpinBox*& spin) {
    auto* text = new QLabel(label, gbSettings);
    text->setGeometry(x, 266, 50, 21);
    text->setProperty("homeY", 266);
    spin = new QSpinBox(gbSettings);
    spin->setObjectName(name);
    spin->setRange(0, INT32_MAX);
    spin->setGeometry(x + 50, 264, 60, 25);
    spin->setProperty("homeY", 264);
  };
  count("seAnimals", "Animals", 16, seAnimals);
  count("sePlants", "Plants", 136, sePlants);
  LayOutStartPanel();

  timerReloadValues = new QTimer(this);
  timerReloadValues->setObjectName("timerReloadValues");
  timerReloadValues->setInterval(2500);
  connect(timerReloadValues, &QTimer::timeout, this, &TfrmVivarion::timerReloadValuesTimer);
  timerReloadValues->start();
}

TfrmVivarion::~TfrmVivarion() {
  StopRecording();  // a film being made is put in place
  delete observatory_;
}

void TfrmVivarion::ToggleObservatory() {
  if (!observatory_) observatory_ = new TfrmObservatory(this);
  if (observatory_->isVisible()) {
    observatory_->hide();
  } else {
    observatory_->show();
    observatory_->Refresh(true);
  }
}

void TfrmVivarion::ShowInspector(uint64_t serial) {
  InspectRequested = serial;
  if (!observatory_ || !observatory_->isVisible()) ToggleObservatory();
  observatory_->Tabs->setCurrentWidget(observatory_->Inspector);
  observatory_->Refresh(true);
  observatory_->raise();
}

TView TfrmVivarion::View() const {
  TView v;
  v.ScrollX = ScrollX;
  v.ScrollY = ScrollY;
  v.Zoom = Zoom;
  v.Rotation = Rotation;
  const QRect outer = frameGeometry();
  v.WindowWidth = outer.width();
  v.WindowHeight = outer.height();
  return v;
}

void TfrmVivarion::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!FirstShow) return;
  FirstShow = false;
  butResume->setVisible(FileExists(LastWorldFile()));
  const TPopulationCounts counts = ReadPopulationFile(FindPopulationFile());
  seAnimals->setValue(counts.NumCreatures);
  sePlants->setValue(counts.NumFood);
  // Without an animals folder here (an installed program started from the home folder), the
  // samples installed with the program are offered, and the label says so.
  if (!std::filesystem::is_directory("animals") && std::filesystem::is_directory(InstalledDataFolder() + "animals")) {
    AnimalsFolder = InstalledDataFolder() + "animals";
    Label1->setText("No animals folder here: the samples installed with the program.");
  }
  std::vector<std::string> names;
  ListFiles(AnimalsFolder + "/*.viv", 63, names);
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(QString::fromStdString(name), chklAnimals);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  if (names.empty()) {
    lblNoAnimals->setText(
        QString::fromStdString("No animal files (*.viv) in " + AnimalsFolder + ". Go seeds the built-in animal."));
    lblNoAnimals->show();
  }
}

void TfrmVivarion::LayOutStartPanel() {
  if (!lblNoAnimals) return;  // not made yet
  // The first layout at the first size; a taller window gives the list the height it gains
  // (and the controls under it move down with it), a wider one the width.
  const int taller = std::max(0, height() - 600), wider = std::max(0, std::min(width() - 800, 400));
  chklAnimals->setGeometry(16, 56, 193 + wider, 169 + taller);
  lblNoAnimals->setGeometry(chklAnimals->geometry().adjusted(8, 8, -8, -8));
  butGo->move(136 + wider, 232 + taller);
  for (QWidget* w : gbSettings->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    const QVariant home = w->property("homeY");
    if (home.isValid()) w->move(w->x(), home.toInt() + taller);
  }
}

QMessageBox* TfrmVivarion::ShowBox(QMessageBox::Icon icon, const QString& text) {
  auto* box = new QMessageBox(icon, "Vivarion", text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setAttribute(Qt::WA_ShowWithoutActivating);
  box->setModal(false);
  box->installEventFilter(this);
  return box;
}

void TfrmVivarion::ReportError(const std::exception& e) {
  ShowBox(QMessageBox::Critical, QString::fromStdString(e.what()))->show();
  NeedsRedraw = true;
}

void TfrmVivarion::butGoClick() {
  gbSettings->hide();
  std::vector<std::string> files;
  for (int i = 0; i < chklAnimals->count(); ++i)
    if (chklAnimals->item(i)->checkState() == Qt::Checked)
      files.push_back(AnimalsFolder + "/" + chklAnimals->item(i)->text().toStdString());
  const QRect outer = frameGeometry();
  try {
    TPopulationCounts counts;
    counts.NumCreatures = seAnimals->value();
    counts.NumFood = sePlants->value();
    doc_.Sim().Populate(outer.width(), outer.height(), files, counts);
  } catch (const std::exception& e) {
    // Back to the start panel (the world is empty again), so that the user can untick the
    // file and go again.
    gbSettings->show();
    ReportError(e);
    return;
  }
  // Step timing starts now, not at window creation, so the first pause is not inflated by
  // the time spent on the start panel.
  Pace.Restart();
  doc_.Begin("");
  NoteUnknownKeys(true);
  QCoreApplication::postEvent(this, new QEvent(QEvent::User));
}

bool TfrmVivarion::event(QEvent* e) {
  if (e->type() == QEvent::User) {
    RunLoop();
    return true;
  }
  return QWidget::event(e);
}

void TfrmVivarion::RunLoop() {
  setpriority(PRIO_PROCESS, 0, 19);
  Running = true;
  if (RunLimitMs > 0 && !limitTimer_) {
    limitTimer_ = new QTimer(this);
    limitTimer_->setSingleShot(true);
    limitTimer_->start(static_cast<int>(std::clamp<int64_t>(StartTick + RunLimitMs + 1 - TickCount(), 0, INT32_MAX)));
  }
  try {
    for (;;) {
      // A paused world that nothing has changed is not drawn again: the loop sleeps until
      // input, a reload, a resize or the run-time limit wakes it.
      const bool idle = Paused && !NeedsRedraw;
      if (!idle) RunFrame();
      if (RunLimitMs > 0 && TickCount() - StartTick > RunLimitMs) {
        Terminated = true;
        KeepLastWorld();
        QCoreApplication::quit();
      }
      if (CloseRequested || Terminated) break;
      QCoreApplication::processEvents(idle ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
      if (CloseRequested || Terminated) break;
    }
  } catch (const std::exception& e) {
    // The world stops stepping; the window stays open with the last picture.
    ReportError(e);
  }
  Running = false;
}

void TfrmVivarion::StepWorld() {
  doc_.Step();
  RecordTimeLapse();
}

void TfrmVivarion::RunFrame() {
  // A held creature is put back where the mouse holds it at every step.
  if (!Paused) Pace.RunSteps(LastRedrawTick, doc_.Sim().Rules().NiceValue, [this] { StepWorld(); });
  DrawFrame();
  doc_.SampleGraphs();
  VisitInfoWindows();
  if (observatory_) observatory_->Refresh();
}

TFrameStatus TfrmVivarion::FrameStatus() const {
  TFrameStatus status;
  status.StepCount = doc_.Sim().StepCount();
  status.StepsPerSecond = Pace.StepsPerSecond();
  status.Paused = Paused;
  status.SpeedLimit = SpeedLimit();
  status.SayWhenNoAnimals = doc_.Sim().StepCount() > 0;
  status.OutlinedSpecies = OutlinedSpecies;
  status.OutlinedTaxon = OutlinedTaxon;
  status.TaxonColours = TaxonColours;
  if (!Notice.empty() && TickCount() < NoticeUntilTick) status.Notices.push_back(Notice);
  return status;
}

void TfrmVivarion::DrawFrame() {
  if (StageBitmap.size() != size()) StageBitmap = QImage(size(), QImage::Format_RGB32);
  viv::DrawFrame(doc_.Population(), View(), FrameStatus(), StageBitmap);
  RecordViewFrame();
  DrawRecordingMark();
  repaint();
  LastRedrawTick = TickCount();
  NeedsRedraw = false;
  ++FramesDrawn;
}

void TfrmVivarion::VisitInfoWindows() {
  const QList<TfrmInfo*> windows = findChildren<TfrmInfo*>(Qt::FindDirectChildrenOnly);
  for (TfrmInfo* w : windows) {
    if (!w->Serial || w->Mourning()) continue;  // released, or saying its creature died
    if (const TCreature* c = doc_.Population().FindSerial(w->Serial)) w->RefreshInfo(*c);
    else w->SayDied(doc_.Sim().StepCount());
  }
}

uint64_t TfrmVivarion::InspectedSerial() const {
  const QList<TfrmInfo*> windows = findChildren<TfrmInfo*>(Qt::FindDirectChildrenOnly);
  // The window whose link was pressed, while it follows its creature; else the last one.
  if (InspectRequested != 0)
    for (const TfrmInfo* w : windows)
      if (w->Serial == InspectRequested) return InspectRequested;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if ((*it)->Serial) return (*it)->Serial;
  return doc_.Sim().Held();
}

void TfrmVivarion::NoteUnknownKeys(bool again) {
  const std::string note = UnknownKeysNote(doc_.Sim().Rules());
  if (!again && note == unknownKeysShown_) return;
  unknownKeysShown_ = note;
  if (note.empty()) return;
  ShowNotice(note);
}

void TfrmVivarion::ShowNotice(const std::string& text) {
  // A notice still showing keeps its place; the new one joins it.
  Notice = NoticeUntilTick > TickCount() && !Notice.empty() && Notice != text ? Notice + "; " + text : text;
  NoticeUntilTick = TickCount() + 6000;
  NeedsRedraw = true;
}

void TfrmVivarion::timerReloadValuesTimer() {
  // Read into a copy, put in force whole between steps; a bad value keeps the keys read
  // before it, as reading in place did.
  TSettings rules = doc_.Sim().Rules();
  // A branch keeps the keys it was made with; the one beside follows the file with its own.
  try {
    rules.Load();
    doc_.PutRulesInForce(rules);
    NoteUnknownKeys(false);
    if (reloadError_) {
      reloadError_->close();
      reloadError_ = nullptr;
    }
  } catch (const std::exception& e) {
    doc_.PutRulesInForce(rules);
    // One report, kept up to date while the error lasts; the world goes on meanwhile.
    if (!reloadError_) reloadError_ = ShowBox(QMessageBox::Warning, "");
    reloadError_->setText(QString::fromStdString(e.what()));
    reloadError_->show();
  }
  NeedsRedraw = true;  // a paused world is drawn once more after a reload
}

void TfrmVivarion::closeEvent(QCloseEvent* e) {
  // An animal being edited is not thrown away without asking; going back keeps the program.
  if (editor_ && !editor_->MaySetAside()) {
    e->ignore();
    return;
  }
  // The windows of this one's world go with it, so that the program ends.
  if (observatory_) observatory_->close();
  if (editor_) editor_->hide();
  StopRecording();
  if (!CloseRequested && !Terminated) KeepLastWorld();
  CloseRequested = true;
  QWidget::closeEvent(e);
}

void TfrmVivarion::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  gbSettings->setGeometry(rect());
  LayOutStartPanel();
  // Information windows left outside a smaller window come back to its edge.
  for (TfrmInfo* info : findChildren<TfrmInfo*>(Qt::FindDirectChildrenOnly))
    info->move(std::clamp(info->x(), 0, std::max(0, width() - 60)),
               std::clamp(info->y(), 0, std::max(0, height() - 30)));
  NeedsRedraw = true;
}

void TfrmVivarion::paintEvent(QPaintEvent*) {
  if (gbSettings->isVisible() || StageBitmap.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, StageBitmap);
}

bool TfrmVivarion::WorldRuns() const { return !gbSettings->isVisible(); }

void TfrmVivarion::Outline(const std::string& species, uint64_t taxon) {
  OutlinedSpecies = species;
  OutlinedTaxon = taxon;
  NeedsRedraw = true;
}

}  // namespace viv
