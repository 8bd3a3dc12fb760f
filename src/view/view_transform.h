#pragma once
// The view: where the world lands in the window, and back.
namespace viv {

struct TView {
  float ScrollX = 0, ScrollY = 0;
  float Zoom = 0.2f;  // pixels per world unit
  float Rotation = 0;
  int WindowWidth = 800, WindowHeight = 600;  // outer size of the window, frame included
};

struct TScreenPoint {
  float X, Y, A;
};

// World position and angle to window pixels and screen angle. The world point
// (-ScrollX, -ScrollY) lands at (W div 2, H div 2).
TScreenPoint WorldToScreen(const TView& view, float x, float y, float a);
// The inverse: a window pixel and screen angle back to the world.
TScreenPoint ScreenToWorld(const TView& view, float sx, float sy, float sa);

}  // namespace viv
