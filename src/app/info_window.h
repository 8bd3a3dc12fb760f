#pragma once
// A small window inside the main window that shows one creature's energy and keeps the
// view centred on it while it lives.
#include <QFrame>

class QPlainTextEdit;

namespace viv {

class TCreature;
class TfrmVivarion;

class TfrmInfo : public QFrame {
  Q_OBJECT
 public:
  TfrmInfo(TfrmVivarion* main, TCreature* creature);

  TCreature* Creature;  // not owned; cleared when the window is released
  QPlainTextEdit* Memo1;

  // Rewrites the energy line and centres the main window's view on the creature.
  void RefreshInfo();

 private:
  TfrmVivarion* main_;
};

}  // namespace viv
