#include "rules/sunlight.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace viv {

namespace {

// The seasons' factor at a phase (in turns): 1 +- depth, never below 0.
double Season(double depth, int32_t length, int64_t step, double phase) {
  if (length <= 0 || depth == 0) return 1;
  const double turns = static_cast<double>(step % length) / length + phase;
  return 1 + std::clamp(depth, 0.0, 1.0) * std::sin(2 * std::numbers::pi * turns);
}

}  // namespace

void TSunlight::Update(const TSettings& rules, int64_t step) {
  const int32_t count = std::clamp(rules.LightPatches, 0, 1000);
  varies_ = count > 0 || (rules.SeasonLength > 0 && rules.SeasonDepth != 0);
  everywhere_ = Season(rules.SeasonDepth, rules.SeasonLength, step, 0);
  shade_ = std::isfinite(rules.PatchShade) ? std::max(rules.PatchShade, 0.0) : 0;
  radius_ = std::isfinite(rules.PatchRadius) ? std::max(rules.PatchRadius, 0.0) : 0;
  const double distance = std::isfinite(rules.PatchDistance) ? rules.PatchDistance : 0;
  patches_.resize(static_cast<size_t>(count));
  for (int32_t k = 0; k < count; ++k) {
    const double angle = 2 * std::numbers::pi * k / count;
    TLightPatch& p = patches_[k];
    p.X = distance * std::cos(angle);
    p.Y = distance * std::sin(angle);
    p.Light = Season(rules.SeasonDepth, rules.SeasonLength, step, static_cast<double>(k) / count);
  }
}

double TSunlight::At(double x, double y) const {
  if (patches_.empty()) return everywhere_;
  double light = shade_;
  for (const TLightPatch& p : patches_)
    if (On(p, x, y)) light = std::max(light, p.Light);
  return light;
}

double TSunlight::AtPatch(double x, double y, int32_t patch) const {
  if (patch < 0 || static_cast<size_t>(patch) >= patches_.size()) return At(x, y);
  const TLightPatch& p = patches_[static_cast<size_t>(patch)];
  return On(p, x, y) ? p.Light : shade_;
}

bool TSunlight::On(const TLightPatch& p, double x, double y) const {
  const double dx = x - p.X, dy = y - p.Y;
  return dx * dx + dy * dy <= radius_ * radius_;
}

int32_t TSunlight::Nearest(double x, double y) const {
  int32_t nearest = -1;
  double best = 0;
  for (size_t k = 0; k < patches_.size(); ++k) {
    const double dx = x - patches_[k].X, dy = y - patches_[k].Y;
    const double d = dx * dx + dy * dy;
    if (nearest < 0 || d < best) nearest = static_cast<int32_t>(k), best = d;
  }
  return nearest;
}

}  // namespace viv
