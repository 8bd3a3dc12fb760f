#pragma once
// Where and how strongly the sun shines. In the classic world alike everywhere and always;
// with LightPatches only on discs set around the origin, each a niche of its own that the
// world's pull (Gravity) holds its creatures to; with SeasonLength the light swings over the
// seasons, the patches out of phase with each other, so that they take turns to be rich.
#include <cstdint>
#include <vector>

#include "config/settings.h"

namespace viv {

struct TLightPatch {
  double X = 0, Y = 0;
  double Light = 1;  // the factor of SunLight on this patch at this step
};

class TSunlight {
 public:
  // The patches and their light at this step (derived from the rules and the step alone,
  // so a world read from a file needs nothing stored).
  void Update(const TSettings& rules, int64_t step);
  // Whether the light differs from the classic world's at all.
  bool Varies() const { return varies_; }
  // The factor of SunLight at a place: the light of the patch it lies on (PatchShade off the
  // patches) or the seasons' factor where there are no patches.
  double At(double x, double y) const;
  // The same for a creature that only one patch lights (KindPatches): that patch's light on its
  // disc, PatchShade elsewhere.
  double AtPatch(double x, double y, int32_t patch) const;
  // The patch whose centre is nearest the place; -1 without patches.
  int32_t Nearest(double x, double y) const;
  const std::vector<TLightPatch>& Patches() const { return patches_; }
  double PatchRadius() const { return radius_; }

 private:
  // Whether a place lies on a patch's disc.
  bool On(const TLightPatch& p, double x, double y) const;

  std::vector<TLightPatch> patches_;
  double radius_ = 0;
  double everywhere_ = 1;
  double shade_ = 0;
  bool varies_ = false;
};

}  // namespace viv
