#include "app/main_window.h"

#include <sys/resource.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

#include "app/info_window.h"
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
  doc_.Listen([this](const std::string& text) { ShowNotice(text); }, [this] { state_.NeedsRedraw = true; });
  setWindowTitle("Vivarion 0.35");
  setObjectName("frmVivarion");
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  resize(800, 600);

  gbSettings = new TStartPanel(this);
  gbSettings->LayOut(width(), height());
  connect(gbSettings->butGo, &QPushButton::clicked, this, &TfrmVivarion::butGoClick);
  connect(gbSettings->butResume, &QPushButton::clicked, this, [this] { OpenWorld(LastWorldFile()); });
  connect(gbSettings->butOpenWorld, &QPushButton::clicked, this, &TfrmVivarion::OpenWorldDialog);
  // The editor on the file under the list's cursor, else on the built-in animal.
  connect(gbSettings->butEditor, &QPushButton::clicked, this, [this] {
    if (const std::string file = gbSettings->CurrentFile(); !file.empty()) {
      companions_.OpenEditorOnFile(file);
      return;
    }
    TWorldContext scratch;
    const std::unique_ptr<TCreature> adam(CreateAdam(scratch));
    companions_.OpenEditor(adam->ToXmlText(), "ADAM", "");
  });

  timerReloadValues = new QTimer(this);
  timerReloadValues->setObjectName("timerReloadValues");
  timerReloadValues->setInterval(2500);
  connect(timerReloadValues, &QTimer::timeout, this, &TfrmVivarion::timerReloadValuesTimer);
  timerReloadValues->start();
}

TfrmVivarion::~TfrmVivarion() {
  StopRecording();  // a film being made is put in place
}

TView TfrmVivarion::View() const {
  TView v;
  v.ScrollX = view_.ScrollX;
  v.ScrollY = view_.ScrollY;
  v.Zoom = view_.Zoom;
  v.Rotation = view_.Rotation;
  const QRect outer = frameGeometry();
  v.WindowWidth = outer.width();
  v.WindowHeight = outer.height();
  return v;
}

void TfrmVivarion::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  gbSettings->Fill(FileExists(LastWorldFile()));
}

void TfrmVivarion::butGoClick() {
  gbSettings->hide();
  const QRect outer = frameGeometry();
  try {
    doc_.Sim().Populate(outer.width(), outer.height(), gbSettings->CheckedFiles(), gbSettings->Counts());
  } catch (const std::exception& e) {
    // Back to the start panel (the world is empty again), so that the user can untick the
    // file and go again.
    gbSettings->show();
    messages_.Report(e);
    return;
  }
  // Step timing starts now, not at window creation, so the first pause is not inflated by
  // the time spent on the start panel.
  Pace.Restart();
  doc_.Begin("");
  messages_.UnknownKeys(UnknownKeysNote(doc_.Sim().Rules()), true);
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
  state_.Running = true;
  if (RunLimitMs > 0 && !limitTimer_) {
    limitTimer_ = new QTimer(this);
    limitTimer_->setSingleShot(true);
    limitTimer_->start(static_cast<int>(std::clamp<int64_t>(StartTick + RunLimitMs + 1 - TickCount(), 0, INT32_MAX)));
  }
  try {
    for (;;) {
      // A paused world that nothing has changed is not drawn again: the loop sleeps until
      // input, a reload, a resize or the run-time limit wakes it.
      const bool idle = state_.Paused && !state_.NeedsRedraw;
      if (!idle) RunFrame();
      if (RunLimitMs > 0 && TickCount() - StartTick > RunLimitMs) {
        state_.Terminated = true;
        KeepLastWorld();
        QCoreApplication::quit();
      }
      if (state_.CloseRequested || state_.Terminated) break;
      QCoreApplication::processEvents(idle ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
      if (state_.CloseRequested || state_.Terminated) break;
    }
  } catch (const std::exception& e) {
    // The world stops stepping; the window stays open with the last picture.
    messages_.Report(e);
  }
  state_.Running = false;
}

void TfrmVivarion::StepWorld() {
  doc_.Step();
  try {
    recorder_.AfterStep(doc_.Sim().StepCount(), StageBitmap.size(),
                        [this](QImage& image) { viv::DrawFrame(doc_.Population(), View(), FrameStatus(), image); });
  } catch (const std::exception& e) {
    messages_.Report(e);
  }
}

void TfrmVivarion::RunFrame() {
  // A held creature is put back where the mouse holds it at every step.
  if (!state_.Paused) Pace.RunSteps(LastRedrawTick, doc_.Sim().Rules().NiceValue, [this] { StepWorld(); });
  DrawFrame();
  doc_.SampleGraphs();
  companions_.Refresh();
}

TFrameStatus TfrmVivarion::FrameStatus() const {
  TFrameStatus status;
  status.StepCount = doc_.Sim().StepCount();
  status.StepsPerSecond = Pace.StepsPerSecond();
  status.Paused = state_.Paused;
  status.SpeedLimit = Pace.SpeedLimit();
  status.SayWhenNoAnimals = doc_.Sim().StepCount() > 0;
  status.OutlinedSpecies = outlinedSpecies_;
  status.OutlinedTaxon = outlinedTaxon_;
  status.TaxonColours = taxonColours_;
  if (const std::string notice = messages_.Current(); !notice.empty()) status.Notices.push_back(notice);
  return status;
}

void TfrmVivarion::DrawFrame() {
  if (StageBitmap.size() != size()) StageBitmap = QImage(size(), QImage::Format_RGB32);
  viv::DrawFrame(doc_.Population(), View(), FrameStatus(), StageBitmap);
  try {
    recorder_.AfterDraw(StageBitmap);
  } catch (const std::exception& e) {
    messages_.Report(e);
  }
  repaint();
  LastRedrawTick = TickCount();
  state_.NeedsRedraw = false;
  ++state_.FramesDrawn;
}

void TfrmVivarion::ShowNotice(const std::string& text) {
  messages_.Notice(text);
  state_.NeedsRedraw = true;
}

void TfrmVivarion::timerReloadValuesTimer() {
  // Read into a copy, put in force whole between steps; a bad value keeps the keys read
  // before it, as reading in place did.
  TSettings rules = doc_.Sim().Rules();
  // A branch keeps the keys it was made with; the one beside follows the file with its own.
  try {
    rules.Load();
    doc_.PutRulesInForce(rules);
    messages_.UnknownKeys(UnknownKeysNote(rules), false);
    messages_.ReloadWorked();
  } catch (const std::exception& e) {
    doc_.PutRulesInForce(rules);
    // One report, kept up to date while the error lasts; the world goes on meanwhile.
    messages_.ReloadFailed(e.what());
  }
  state_.NeedsRedraw = true;  // a paused world is drawn once more after a reload
}

void TfrmVivarion::closeEvent(QCloseEvent* e) {
  // An animal being edited is not thrown away without asking; going back keeps the program.
  if (!companions_.MayClose()) {
    e->ignore();
    return;
  }
  // The windows of this one's world go with it, so that the program ends.
  companions_.Close();
  StopRecording();
  if (!state_.CloseRequested && !state_.Terminated) KeepLastWorld();
  state_.CloseRequested = true;
  QWidget::closeEvent(e);
}

void TfrmVivarion::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  gbSettings->LayOut(width(), height());
  // Information windows left outside a smaller window come back to its edge.
  for (TfrmInfo* info : findChildren<TfrmInfo*>(Qt::FindDirectChildrenOnly))
    info->move(std::clamp(info->x(), 0, std::max(0, width() - 60)),
               std::clamp(info->y(), 0, std::max(0, height() - 30)));
  state_.NeedsRedraw = true;
}

void TfrmVivarion::paintEvent(QPaintEvent*) {
  if (gbSettings->isVisible() || StageBitmap.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, StageBitmap);
}

void TfrmVivarion::CentreOn(float x, float y) {
  view_.ScrollX = -x, view_.ScrollY = -y;
  state_.NeedsRedraw = true;
}

void TfrmVivarion::SetPaused(bool paused) {
  state_.Paused = paused;
  state_.NeedsRedraw = true;
}

bool TfrmVivarion::WorldRuns() const { return !gbSettings->isVisible(); }

void TfrmVivarion::Outline(const std::string& species, uint64_t taxon) {
  outlinedSpecies_ = species;
  outlinedTaxon_ = taxon;
  state_.NeedsRedraw = true;
}

}  // namespace viv
