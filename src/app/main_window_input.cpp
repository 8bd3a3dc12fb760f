// Keys and mouse of the main window.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QGroupBox>
#include <QPushButton>

#include "app/info_window.h"
#include "app/main_window.h"
#include "world/grid.h"

namespace viv {

void TfrmVivarion::FormKeyDown(int key) {
  switch (key) {
    case Qt::Key_Escape:
      if (isMaximized() || isMinimized()) showNormal();
      else showMaximized();
      break;
    case Qt::Key_Space: Paused = !Paused; break;
    case Qt::Key_Left: ScrollX = ScrollX + 10; break;
    case Qt::Key_Up: ScrollY = ScrollY - 10; break;
    case Qt::Key_Right: ScrollX = ScrollX - 10; break;
    case Qt::Key_Down: ScrollY = ScrollY + 10; break;
    case Qt::Key_A: Zoom = static_cast<float>(Zoom / 0.9); break;
    case Qt::Key_Q: Zoom = static_cast<float>(Zoom * 0.9); break;
    case Qt::Key_X: Rotation = static_cast<float>(Rotation + 0.1); break;
    case Qt::Key_Z: Rotation = static_cast<float>(Rotation - 0.1); break;
    case Qt::Key_S:
      try {
        Population.SaveAnimals("animals");
      } catch (const std::exception& e) {
        ReportError(e);
      }
      break;
    default: break;
  }
}

void TfrmVivarion::keyPressEvent(QKeyEvent* e) {
  if (gbSettings->isVisible()) {
    // On the start panel Enter presses the default button.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) butGo->click();
    else QWidget::keyPressEvent(e);
    return;
  }
  FormKeyDown(e->key());
}

void TfrmVivarion::sbStageMouseDown(int x, int y) {
  const TScreenPoint p = ScreenToWorld(View(), static_cast<float>(x), static_cast<float>(y), 0);
  Dragged = Population.CreatureAt(p.X, p.Y);
  Paused = false;
}

void TfrmVivarion::sbStageMouseMove(int x, int y) {
  if (!Dragged) return;
  const TScreenPoint p = ScreenToWorld(View(), static_cast<float>(x), static_cast<float>(y), 0);
  const float oldX = Dragged->X, oldY = Dragged->Y;
  Dragged->SetX(p.X);
  Dragged->SetY(p.Y);
  GridMove(Dragged, oldX, oldY, p.X, p.Y);
}

void TfrmVivarion::FormMouseUp() { Dragged = nullptr; }

void TfrmVivarion::sbStageDblClick(int x, int y) {
  const TScreenPoint p = ScreenToWorld(View(), static_cast<float>(x), static_cast<float>(y), 0);
  if (TCreature* c = Population.CreatureAt(p.X, p.Y)) (new TfrmInfo(this, c))->RefreshInfo();
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
