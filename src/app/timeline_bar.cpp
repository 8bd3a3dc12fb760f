#include "app/timeline_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace viv {
namespace {

constexpr int Margin = 8;

}  // namespace

TTimelineBar::TTimelineBar(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(56);
  setMouseTracking(true);
  setCursor(Qt::PointingHandCursor);
}

void TTimelineBar::Show(int64_t first, int64_t last, int64_t current, std::vector<int64_t> keyframes,
                        std::vector<TTimelineMark> marks) {
  first_ = first, last_ = std::max(last, first), current_ = current;
  keyframes_ = std::move(keyframes);
  marks_ = std::move(marks);
  update();
}

QColor TTimelineBar::ColourOf(TTimelineMark::TKind kind) {
  switch (kind) {
    case TTimelineMark::Event: return {200, 30, 30};
    case TTimelineMark::Seam: return {230, 130, 0};
    case TTimelineMark::Fewest: return {30, 90, 220};
    case TTimelineMark::Founded: return {20, 150, 60};
    case TTimelineMark::Extinct: return {90, 90, 90};
    case TTimelineMark::Film: return {150, 40, 170};
  }
  return Qt::black;
}

int TTimelineBar::XOf(int64_t step) const {
  const double span = static_cast<double>(std::max<int64_t>(1, last_ - first_));
  return Margin + static_cast<int>(static_cast<double>(step - first_) / span * (width() - 2 * Margin));
}

int64_t TTimelineBar::StepAt(int x) const {
  const double share = std::clamp(static_cast<double>(x - Margin) / std::max(1, width() - 2 * Margin), 0.0, 1.0);
  return first_ + std::llround(share * static_cast<double>(last_ - first_));
}

void TTimelineBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const int top = 18, bottom = height() - 14;
  const QRect track(Margin, top, width() - 2 * Margin, bottom - top);
  p.fillRect(track, QColor(235, 238, 242));
  p.setPen(QColor(170, 175, 185));
  p.drawRect(track);
  // Keyframes: short ticks along the bottom of the track.
  p.setPen(QColor(140, 150, 165));
  for (int64_t k : keyframes_) p.drawLine(XOf(k), bottom - 6, XOf(k), bottom);
  // The past up to the step shown, shaded.
  if (last_ > first_) p.fillRect(QRect(Margin, top + 1, XOf(current_) - Margin, 4), QColor(120, 160, 220));
  // Marks: a small triangle above the track and a line through it.
  p.setRenderHint(QPainter::Antialiasing);
  for (const TTimelineMark& m : marks_) {
    const int x = XOf(m.Step);
    const QColor c = ColourOf(m.Kind);
    p.setPen(c);
    p.drawLine(x, top + 6, x, bottom - 8);
    p.setBrush(c);
    const QPoint tri[3] = {{x - 4, top - 8}, {x + 4, top - 8}, {x, top - 1}};
    p.drawPolygon(tri, 3);
  }
  // The step shown, and the one under a pressed pointer.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(XOf(current_), top - 2, XOf(current_), bottom + 2);
  if (seeking_ >= 0) {
    p.setPen(QPen(QColor(30, 90, 220), 1, Qt::DashLine));
    p.drawLine(XOf(seeking_), top - 2, XOf(seeking_), bottom + 2);
  }
  p.setPen(palette().windowText().color());
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  p.setFont(small);
  p.drawText(QRect(Margin, bottom + 1, width() / 2, 13), Qt::AlignLeft, QString::number(first_));
  p.drawText(QRect(width() / 2, bottom + 1, width() / 2 - Margin, 13), Qt::AlignRight, QString::number(last_));
}

void TTimelineBar::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || last_ <= first_) return;
  seeking_ = StepAt(static_cast<int>(e->position().x()));
  emit Seeking(seeking_);
  update();
}

void TTimelineBar::mouseMoveEvent(QMouseEvent* e) {
  const int x = static_cast<int>(e->position().x());
  if (seeking_ >= 0) {
    seeking_ = StepAt(x);
    emit Seeking(seeking_);
    update();
    return;
  }
  // Pointing at a mark names it.
  QStringList texts;
  for (const TTimelineMark& m : marks_)
    if (std::abs(XOf(m.Step) - x) <= 4) texts << QString("step %1: %2").arg(m.Step).arg(QString::fromStdString(m.Text));
  if (texts.isEmpty()) texts << QString("step %1").arg(StepAt(x));
  QToolTip::showText(e->globalPosition().toPoint(), texts.join("\n"), this);
}

void TTimelineBar::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || seeking_ < 0) return;
  const int64_t chosen = StepAt(static_cast<int>(e->position().x()));
  seeking_ = -1;
  update();
  emit Chosen(chosen);
}

}  // namespace viv
