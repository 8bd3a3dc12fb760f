#pragma once
// The timeline bar: the steps the world's timeline reaches, from its first keyframe to the
// furthest step, its keyframes as ticks, marks (events, changes by hand, the animals at their
// fewest, taxa founded and extinct, films) and the step shown. A click or a drag chooses a step.
#include <QWidget>
#include <cstdint>
#include <vector>

#include "app/branch_world.h"

namespace viv {

class TTimelineBar : public QWidget {
  Q_OBJECT
 public:
  explicit TTimelineBar(QWidget* parent);

  void Show(int64_t first, int64_t last, int64_t current, std::vector<int64_t> keyframes,
            std::vector<TTimelineMark> marks);
  // The step at a point of the bar, and the point of a step.
  int64_t StepAt(int x) const;
  int XOf(int64_t step) const;
  QSize sizeHint() const override { return {600, 64}; }
  static QColor ColourOf(TTimelineMark::TKind kind);

 signals:
  // While the pointer is pressed and moved: the step under it; on release: the step chosen.
  void Seeking(qint64 step);
  void Chosen(qint64 step);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  int64_t first_ = 0, last_ = 0, current_ = 0;
  int64_t seeking_ = -1;  // the step under a pressed pointer
  std::vector<int64_t> keyframes_;
  std::vector<TTimelineMark> marks_;
};

}  // namespace viv
