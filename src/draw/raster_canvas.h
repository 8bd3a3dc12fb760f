#pragma once
// The drawing surface the core paints on: pen and brush colours, a current point,
// lines, ellipses and text. The view layer paints it with QPainter; tests record it.
#include <cstdint>
#include <string>

namespace viv {

using TColor = uint32_t;  // red in the low byte, then green, then blue; a tag on top

class TRasterCanvas {
 public:
  virtual ~TRasterCanvas() = default;

  TColor PenColor = 0;
  TColor BrushColor = 0xFFFFFF;
  TColor TextColor = 0;
  bool BrushClear = false;  // text without a background box

  virtual void MoveTo(int x, int y) = 0;
  // A line from the current point to (x, y), which becomes the current point.
  virtual void LineTo(int x, int y) = 0;
  // The ellipse inscribed in the rectangle of the two corners, in either order:
  // filled with the brush, outlined with the pen.
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  virtual void TextOut(int x, int y, const std::string& text) = 0;
};

// Round to nearest, ties to even, kept inside the range a pixel coordinate can take.
int RoundToPixel(double value);

}  // namespace viv
