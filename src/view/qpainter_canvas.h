#pragma once
// The raster canvas painted with QPainter on a QImage.
#include <QImage>
#include <QPainter>

#include "draw/raster_canvas.h"

namespace viv {

QColor ToQColor(TColor color);

class TQPainterCanvas : public TRasterCanvas {
 public:
  explicit TQPainterCanvas(QImage& image);

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void TextOut(int x, int y, const std::string& text) override;
  // The outline of the ellipse in the rectangle, two pixels wide, in colour; nothing filled.
  void Ring(int x1, int y1, int x2, int y2, TColor colour);
  // The width of text in pixels, in the canvas's font.
  int TextWidth(const std::string& text) const;

 private:
  QPainter painter_;
  QPoint current_;
};

}  // namespace viv
