#include "app/info_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/world_window.h"
#include "config/number_text.h"
#include "creature/creature.h"

namespace viv {

TfrmInfo::TfrmInfo(TWorldWindow* main, uint64_t serial) : QFrame(main->Widget()), Serial(serial), main_(main) {
  setObjectName("frmInfo");
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setAutoFillBackground(true);
  // Beside the followed creature, which the view keeps at its centre: right of it where the
  // window has room (the design's place, 356, covered the creature).
  const int width = 243,
            x = std::clamp(main->Widget()->width() / 2 + 40, 0, std::max(0, main->Widget()->width() - width - 4));
  setGeometry(x, 68, width, 443);

  auto* caption = new QLabel("Information Window", this);
  caption->setObjectName("Caption");
  caption->setCursor(Qt::SizeAllCursor);
  caption->installEventFilter(this);
  caption_ = caption;
  auto* close = new QToolButton(this);
  close->setObjectName("CloseButton");
  close->setText("x");
  // Closing only hides the window: it keeps following its creature until that dies.
  connect(close, &QToolButton::clicked, this, &QWidget::hide);
  auto* bar = new QHBoxLayout;
  bar->addWidget(caption, 1);
  bar->addWidget(close);

  Memo1 = new QPlainTextEdit("Memo1", this);
  Memo1->setObjectName("Memo1");
  QFont font("Arial");
  font.setPixelSize(12);
  Memo1->setFont(font);
  Memo1->setReadOnly(true);
  // The text never takes the keyboard from the main window, whose keys keep working.
  Memo1->setFocusPolicy(Qt::NoFocus);
  Memo1->installEventFilter(main->Widget());

  // More than the energy line, a press away: the organs live in the inspector, the body in the
  // editor. Neither takes the keyboard from the main window.
  butInspect = new QPushButton("Inspector", this);
  butEdit = new QPushButton("Editor", this);
  auto* links = new QHBoxLayout;
  for (QPushButton* b : {butInspect, butEdit}) {
    b->setFocusPolicy(Qt::NoFocus);
    links->addWidget(b);
  }
  connect(butInspect, &QPushButton::clicked, this, [this] {
    if (Serial) main_->Companions().ShowInspector(Serial);
  });
  connect(butEdit, &QPushButton::clicked, this, [this] {
    if (Serial) main_->Companions().EditCreature(Serial);
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addLayout(bar);
  layout->addWidget(Memo1, 1);
  layout->addLayout(links);
  show();
}

bool TfrmInfo::eventFilter(QObject* watched, QEvent* e) {
  if (watched == caption_) {
    if (e->type() == QEvent::MouseButtonPress) {
      grab_ = caption_->mapTo(this, static_cast<QMouseEvent*>(e)->position().toPoint());
      return true;
    }
    if (e->type() == QEvent::MouseMove && (static_cast<QMouseEvent*>(e)->buttons() & Qt::LeftButton)) {
      const QPoint inParent = caption_->mapTo(parentWidget(), static_cast<QMouseEvent*>(e)->position().toPoint());
      // Kept where its caption can still be reached.
      const QRect room = parentWidget()->rect();
      const int x = std::clamp(inParent.x() - grab_.x(), room.left() - width() + 40, room.right() - 40);
      const int y = std::clamp(inParent.y() - grab_.y(), room.top(), room.bottom() - 20);
      move(x, y);
      return true;
    }
  }
  return QFrame::eventFilter(watched, e);
}

void TfrmInfo::Release() {
  Serial = 0;
  hide();
  deleteLater();
}

void TfrmInfo::SayDied(int64_t step) {
  if (mourning_) return;
  mourning_ = true;
  Memo1->appendPlainText(QString("Died in step %1.").arg(step));
  butInspect->setEnabled(false);
  butEdit->setEnabled(false);
  static_cast<QLabel*>(caption_)->setText("Information Window: died");
  QTimer::singleShot(3000, this, &TfrmInfo::Release);
}

void TfrmInfo::RefreshInfo(const TCreature& creature) {
  Memo1->clear();
  Memo1->appendPlainText(QString::fromStdString("Energy = " + FloatToText(creature.Energy())));
  main_->CentreOn(creature.X, creature.Y);
}

}  // namespace viv
