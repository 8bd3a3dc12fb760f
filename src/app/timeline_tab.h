#pragma once
// The Timeline tab of the observatory: the timeline bar (click or drag to go back and watch
// from there), the steps and memory it holds, keys' buttons to go back and forward, "Branch
// here...", and two branches compared: their figures side by side and where they part.
#include <QWidget>

#include "app/timeline_bar.h"

class QLabel;
class QPushButton;
class QGroupBox;

namespace viv {

class TWorldWindow;

class TTimelineTab : public QWidget {
  Q_OBJECT
 public:
  TTimelineTab(QWidget* parent, TWorldWindow* main);

  TTimelineBar* Bar;
  QLabel* Summary;  // the step shown, the steps reached, keyframes and their memory
  QLabel* Status;   // one line: the step pointed at, or why a step could not be reached
  QPushButton *Back, *Forward, *Branch, *Switch, *StopComparing;
  QGroupBox* Compare;
  QLabel* CompareFigures;  // the figures of the step shown; with two branches, side by side and where they part

  void Refresh();

 private:
  TWorldWindow* main_;
};

}  // namespace viv
