#pragma once
// Turtle graphics over a raster canvas: creatures are drawn in their own frame by
// turning, jumping and stepping forward, with a stack of saved states.
#include <memory>
#include <vector>

#include "draw/raster_canvas.h"

namespace viv {

// One saved turtle state.
struct TLogoStatus {
  TColor PenColor;
  TColor BrushColor;
  float PosX, PosY, Scale, DirX, DirY;
};

class TLogoCanvas {
 public:
  explicit TLogoCanvas(TRasterCanvas& canvas) : Canvas(&canvas) {}

  TRasterCanvas* Canvas;
  float DirX = 0, DirY = 0;
  float PosX = 0, PosY = 0;
  float Scale = 1;
  std::vector<TLogoStatus> StatusList;

  TColor& Pen() { return Canvas->PenColor; }
  TColor& Brush() { return Canvas->BrushColor; }

  void PushStatus();
  // Restores the last saved state. The canvas's current point stays where it was.
  void PopStatus();
  void Turn(float angle);
  void SetHeading(float angle);
  void Advance(float distance);
  void Forward(float distance);
  void Jump(float distance);
  void MoveTo(float x, float y);
  // Filled, outlined circle of radius r x Scale around the turtle.
  void Circle(float r);
  void Reset(float x, float y, float angle, float scale);
};

}  // namespace viv
