#include "view/view_transform.h"

#include <cmath>

namespace viv {

TScreenPoint WorldToScreen(const TView& v, float x, float y, float a) {
  const float t1 = x + v.ScrollX, t2 = y + v.ScrollY;
  const double c = std::cos(static_cast<double>(v.Rotation)), s = std::sin(static_cast<double>(v.Rotation));
  // The centre is a whole pixel, as the view has always drawn it.
  // NOLINTBEGIN(bugprone-integer-division)
  return {static_cast<float>((c * t1 - s * t2) * v.Zoom + v.WindowWidth / 2),
          static_cast<float>((c * t2 + s * t1) * v.Zoom + v.WindowHeight / 2), a + v.Rotation};
  // NOLINTEND(bugprone-integer-division)
}

TScreenPoint ScreenToWorld(const TView& v, float sx, float sy, float sa) {
  // NOLINTBEGIN(bugprone-integer-division): the same whole-pixel centre
  const float u = static_cast<float>((static_cast<double>(sx) - v.WindowWidth / 2) / v.Zoom);
  const float w = static_cast<float>((static_cast<double>(sy) - v.WindowHeight / 2) / v.Zoom);
  // NOLINTEND(bugprone-integer-division)
  const double c = std::cos(static_cast<double>(v.Rotation)), s = std::sin(static_cast<double>(v.Rotation));
  return {static_cast<float>(c * u + s * w - v.ScrollX), static_cast<float>(c * w - s * u - v.ScrollY),
          sa - v.Rotation};
}

}  // namespace viv
