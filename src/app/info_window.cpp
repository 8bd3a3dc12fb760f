#include "app/info_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "config/number_text.h"
#include "creature/creature.h"

namespace viv {

TfrmInfo::TfrmInfo(TfrmVivarion* main, TCreature* creature) : QFrame(main), Creature(creature), main_(main) {
  setObjectName("frmInfo");
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setAutoFillBackground(true);
  setGeometry(356, 68, 243, 443);

  auto* caption = new QLabel("Information Window", this);
  caption->setObjectName("Caption");
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

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addLayout(bar);
  layout->addWidget(Memo1, 1);
  show();
}

void TfrmInfo::RefreshInfo() {
  Memo1->clear();
  Memo1->appendPlainText(QString::fromStdString("Energy = " + FloatToText(Creature->Energy())));
  main_->ScrollX = -Creature->X;
  main_->ScrollY = -Creature->Y;
}

}  // namespace viv
