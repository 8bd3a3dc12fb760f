#pragma once
// A small window inside the main window that shows one creature's energy and keeps the
// view centred on it while it lives.
#include <QFrame>
#include <QPoint>
#include <cstdint>

class QPlainTextEdit;
class QPushButton;

namespace viv {

class TCreature;
class TWorldWindow;

class TfrmInfo : public QFrame {
  Q_OBJECT
 public:
  // Follows the creature with this serial.
  TfrmInfo(TWorldWindow* main, uint64_t serial);

  uint64_t Serial;  // the creature shown; 0 once the window is released
  QPlainTextEdit* Memo1;
  // Links beside the energy line: the observatory's inspector and the animal editor on it.
  QPushButton *butInspect, *butEdit;

  // Rewrites the energy line and centres the main window's view on the creature.
  void RefreshInfo(const TCreature& creature);
  // Lets go of the creature and goes: hidden now, deleted when the event loop next runs.
  void Release();
  // The creature died in step: the window says so for a few seconds, then goes.
  void SayDied(int64_t step);
  bool Mourning() const { return mourning_; }

 protected:
  // Dragging the caption moves the window within the main window.
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  TWorldWindow* main_;
  QWidget* caption_;
  QPoint grab_;            // where the caption was grabbed, in the window's coordinates
  bool mourning_ = false;  // its creature has died; it goes soon
};

}  // namespace viv
