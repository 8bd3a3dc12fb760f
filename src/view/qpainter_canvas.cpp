#include "view/qpainter_canvas.h"

#include <algorithm>

namespace viv {

QColor ToQColor(TColor c) { return QColor(c & 255, (c >> 8) & 255, (c >> 16) & 255); }

TQPainterCanvas::TQPainterCanvas(QImage& image) : painter_(&image) {
  QFont font("DejaVu Sans");
  font.setPixelSize(11);
  painter_.setFont(font);
}

void TQPainterCanvas::MoveTo(int x, int y) { current_ = QPoint(x, y); }

void TQPainterCanvas::LineTo(int x, int y) {
  painter_.setPen(ToQColor(PenColor));
  painter_.drawLine(current_, QPoint(x, y));
  current_ = QPoint(x, y);
}

void TQPainterCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  painter_.setPen(ToQColor(PenColor));
  painter_.setBrush(ToQColor(BrushColor));
  const int left = std::min(x1, x2), top = std::min(y1, y2);
  painter_.drawEllipse(QRect(left, top, std::max(x1, x2) - left, std::max(y1, y2) - top));
}

void TQPainterCanvas::TextOut(int x, int y, const std::string& text) {
  const QString s = QString::fromStdString(text);
  const QFontMetrics metrics = painter_.fontMetrics();
  if (!BrushClear) painter_.fillRect(QRect(x, y, metrics.horizontalAdvance(s), metrics.height()), ToQColor(BrushColor));
  painter_.setPen(ToQColor(TextColor));
  painter_.drawText(x, y + metrics.ascent(), s);
}

}  // namespace viv

namespace viv {

int TQPainterCanvas::TextWidth(const std::string& text) const {
  return painter_.fontMetrics().horizontalAdvance(QString::fromStdString(text));
}

}  // namespace viv

namespace viv {

void TQPainterCanvas::Ring(int x1, int y1, int x2, int y2, TColor colour) {
  painter_.setPen(QPen(ToQColor(colour), 2));
  painter_.setBrush(Qt::NoBrush);
  painter_.drawEllipse(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))));
}

}  // namespace viv
