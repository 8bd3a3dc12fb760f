#include "draw/logo_canvas.h"

#include <cmath>

#include "config/errors.h"

namespace viv {

int RoundToPixel(double value) {
  if (!(value > -1e9)) return value != value ? 0 : -1000000000;  // NaN to 0
  if (value > 1e9) return 1000000000;
  return static_cast<int>(std::nearbyint(value));
}

void TLogoCanvas::PushStatus() { StatusList.push_back({Pen(), Brush(), PosX, PosY, Scale, DirX, DirY}); }

void TLogoCanvas::PopStatus() {
  if (StatusList.empty()) throw EListError("List index out of bounds (-1)");
  TLogoStatus s = StatusList.back();
  StatusList.pop_back();
  Pen() = s.PenColor;
  Brush() = s.BrushColor;
  PosX = s.PosX;
  PosY = s.PosY;
  Scale = s.Scale;
  DirX = s.DirX;
  DirY = s.DirY;
}

void TLogoCanvas::Turn(float angle) {
  float c = static_cast<float>(std::cos(static_cast<double>(angle)));
  float s = static_cast<float>(std::sin(static_cast<double>(angle)));
  float x = static_cast<float>(static_cast<double>(DirX) * c - static_cast<double>(DirY) * s);
  float y = static_cast<float>(static_cast<double>(DirY) * c + static_cast<double>(DirX) * s);
  DirX = x;
  DirY = y;
}

void TLogoCanvas::SetHeading(float angle) {
  DirX = static_cast<float>(std::cos(static_cast<double>(angle)));
  DirY = static_cast<float>(std::sin(static_cast<double>(angle)));
}

void TLogoCanvas::Advance(float distance) {
  PosX = static_cast<float>(static_cast<double>(DirX) * distance * Scale + PosX);
  PosY = static_cast<float>(static_cast<double>(DirY) * distance * Scale + PosY);
}

void TLogoCanvas::Forward(float distance) {
  Advance(distance);
  Canvas->LineTo(RoundToPixel(PosX), RoundToPixel(PosY));
}

void TLogoCanvas::Jump(float distance) {
  Advance(distance);
  Canvas->MoveTo(RoundToPixel(PosX), RoundToPixel(PosY));
}

void TLogoCanvas::MoveTo(float x, float y) {
  PosX = x;
  PosY = y;
  Canvas->MoveTo(RoundToPixel(x), RoundToPixel(y));
}

void TLogoCanvas::Circle(float r) {
  double h = static_cast<double>(r) * Scale;
  Canvas->Ellipse(RoundToPixel(PosX + h), RoundToPixel(PosY + h), RoundToPixel(PosX - h), RoundToPixel(PosY - h));
}

void TLogoCanvas::Reset(float x, float y, float angle, float scale) {
  MoveTo(x, y);
  SetHeading(angle);
  Scale = scale;
}

}  // namespace viv
