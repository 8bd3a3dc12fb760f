// Keys and mouse of the main window.
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>

#include "app/branch_dialog.h"
#include "app/info_window.h"
#include "app/key_bindings.h"
#include "app/main_window.h"
#include "world/species_files.h"

namespace viv {

void TfrmVivarion::FormKeyDown(int key) {
  switch (key) {
    case Qt::Key_Escape:
      if (isMaximized() || isMinimized()) showNormal();
      else showMaximized();
      break;
    case Qt::Key_Space: state_.Paused = !state_.Paused; break;
    case Qt::Key_Left: view_.ScrollX = view_.ScrollX + 10; break;
    case Qt::Key_Up: view_.ScrollY = view_.ScrollY - 10; break;
    case Qt::Key_Right: view_.ScrollX = view_.ScrollX - 10; break;
    case Qt::Key_Down: view_.ScrollY = view_.ScrollY + 10; break;
    case Qt::Key_A: view_.Zoom = static_cast<float>(view_.Zoom / 0.9); break;
    case Qt::Key_Q: view_.Zoom = static_cast<float>(view_.Zoom * 0.9); break;
    case Qt::Key_X: view_.Rotation = static_cast<float>(view_.Rotation + 0.1); break;
    case Qt::Key_Z: view_.Rotation = static_cast<float>(view_.Rotation - 0.1); break;
    case Qt::Key_S: SaveSpecies(); break;
    case Qt::Key_T: taxonColours_ = !taxonColours_; break;
    case Qt::Key_R: ToggleRecording(0); break;
    case Qt::Key_L: ToggleRecording(TFilmRecorder::TimeLapseEvery); break;
    case Qt::Key_E: EditUnderPointer(); break;
    // Time travel: a step back and forward, a keyframe's spacing back and forward, a branch
    // from here, the other branch shown.
    case Qt::Key_Comma: TravelBy(-1); break;
    case Qt::Key_Period: TravelBy(1); break;
    case Qt::Key_BracketLeft: TravelBy(doc_.Timeline() ? -doc_.Timeline()->Spacing() : 0); break;
    case Qt::Key_BracketRight: TravelBy(doc_.Timeline() ? doc_.Timeline()->Spacing() : 0); break;
    case Qt::Key_B: BranchHereAsked(this, doc_, messages_); break;
    case Qt::Key_V: SwitchBranchTold(doc_, messages_); break;
    // The speed control: - slows the world down a step of the ladder, + (or =) speeds it up.
    case Qt::Key_Minus: Pace.Slower(); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: Pace.Faster(); break;
    default: break;
  }
  state_.NeedsRedraw = true;
}

void TfrmVivarion::SaveSpecies() {
  try {
    // Into the animals folder here; without one (a program started from the menu), into an
    // animals folder of the user's data folder, made when needed.
    std::string folder = "animals";
    if (!std::filesystem::is_directory(folder)) {
      folder = (QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/animals").toStdString();
      std::error_code made;
      std::filesystem::create_directories(folder, made);
    }
    int kept = 0;
    const int written = SaveSpeciesFiles(doc_.Population(), folder, &kept);
    std::error_code ec;
    const std::string where = std::filesystem::absolute(folder, ec).lexically_normal().string();
    std::string said = written == 0 && kept == 0 ? "No animal species to save"
                                                 : "Saved " + std::to_string(written) + " species in " + where;
    if (kept > 0)
      said += " (" + std::to_string(kept) + " kept: " + (kept == 1 ? "its file exists" : "their files exist") + ")";
    messages_.Outcome(said);
  } catch (const std::exception& e) {
    messages_.Report(e);
  }
}

void TfrmVivarion::keyPressEvent(QKeyEvent* e) {
  // Ctrl+S and Ctrl+O keep and open whole worlds; S alone still saves the species.
  if (e->modifiers() & Qt::ControlModifier) {
    const int key = BindingKey(*e);
    if (key == Qt::Key_O) return OpenWorldDialog();
    if (key == Qt::Key_S) return SaveWorldDialog();
  }
  // O, beside the keys of the design: the observatory.
  if (!gbSettings->isVisible() && BindingKey(*e) == Qt::Key_O && !(e->modifiers() & Qt::ControlModifier))
    return companions_.ToggleObservatory();
  if (gbSettings->isVisible()) {
    // On the start panel Enter presses the default button.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) gbSettings->butGo->click();
    else QWidget::keyPressEvent(e);
    return;
  }
  FormKeyDown(BindingKey(*e));
}

bool TfrmVivarion::eventFilter(QObject* watched, QEvent* e) {
  // The keys of the world work while an error box or an information window is in front;
  // Enter and Esc stay with the box, to close it.
  if (e->type() == QEvent::KeyPress && !gbSettings->isVisible()) {
    const int key = BindingKey(*static_cast<QKeyEvent*>(e));
    const bool boxKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
    if (!boxKey) {
      FormKeyDown(key);
      return true;
    }
  }
  return QWidget::eventFilter(watched, e);
}

void TfrmVivarion::sbStageMouseDown(int x, int y) {
  const TScreenPoint p = ScreenToWorld(View(), static_cast<float>(x), static_cast<float>(y), 0);
  const TCreature* picked = doc_.Population().CreatureAt(p.X, p.Y);
  doc_.Sim().Hold(picked ? picked->Serial : 0);
  pressedSerial_ = doc_.Sim().Held();
  // A press on the empty background takes hold of the picture instead, to pan it.
  panning_ = picked == nullptr;
  panFrom_ = QPoint(x, y);
  panView_ = View();
  state_.Paused = false;
  state_.NeedsRedraw = true;
}

void TfrmVivarion::wheelEvent(QWheelEvent* e) {
  // view_.Zoom about the pointer: the world point under it stays under it. A notch (120) is one
  // step of A or Q.
  const QPointF at = e->position();
  const float steps = static_cast<float>(e->angleDelta().y()) / 120.0f;
  if (steps == 0 || gbSettings->isVisible()) return;
  const TScreenPoint before = ScreenToWorld(View(), static_cast<float>(at.x()), static_cast<float>(at.y()), 0);
  view_.Zoom = static_cast<float>(view_.Zoom * std::pow(1 / 0.9, static_cast<double>(steps)));
  const TScreenPoint after = ScreenToWorld(View(), static_cast<float>(at.x()), static_cast<float>(at.y()), 0);
  view_.ScrollX += after.X - before.X;
  view_.ScrollY += after.Y - before.Y;
  state_.NeedsRedraw = true;
  e->accept();
}

void TfrmVivarion::sbStageMouseMove(int x, int y) {
  if (panning_) {
    const TScreenPoint from =
        ScreenToWorld(panView_, static_cast<float>(panFrom_.x()), static_cast<float>(panFrom_.y()), 0);
    const TScreenPoint to = ScreenToWorld(panView_, static_cast<float>(x), static_cast<float>(y), 0);
    view_.ScrollX = panView_.ScrollX + (to.X - from.X);
    view_.ScrollY = panView_.ScrollY + (to.Y - from.Y);
    state_.NeedsRedraw = true;
    return;
  }
  if (!doc_.Population().FindSerial(doc_.Sim().Held())) return;
  const TScreenPoint p = ScreenToWorld(View(), static_cast<float>(x), static_cast<float>(y), 0);
  doc_.Sim().MoveHeld(p.X, p.Y);
  state_.NeedsRedraw = true;
}

void TfrmVivarion::FormMouseUp() {
  doc_.Sim().Hold(0);
  panning_ = false;
}

void TfrmVivarion::sbStageDblClick(int x, int y) {
  // The first press of the double click resumed the world, so by the second press its
  // creature may have moved on: the creature that press picked is the one meant.
  const TCreature* c = doc_.Population().FindSerial(pressedSerial_);
  if (!c) {
    const TScreenPoint p = ScreenToWorld(View(), static_cast<float>(x), static_cast<float>(y), 0);
    c = doc_.Population().CreatureAt(p.X, p.Y);
  }
  if (c) companions_.OpenInfoWindow(*c);
  state_.NeedsRedraw = true;
}

void TfrmVivarion::mousePressEvent(QMouseEvent* e) {
  sbStageMouseDown(e->position().toPoint().x(), e->position().toPoint().y());
}

void TfrmVivarion::mouseMoveEvent(QMouseEvent* e) {
  sbStageMouseMove(e->position().toPoint().x(), e->position().toPoint().y());
}

void TfrmVivarion::mouseReleaseEvent(QMouseEvent*) { FormMouseUp(); }

void TfrmVivarion::mouseDoubleClickEvent(QMouseEvent* e) {
  sbStageDblClick(e->position().toPoint().x(), e->position().toPoint().y());
}

}  // namespace viv
