#pragma once
// The eye: three output channels, the red, green and blue light it received.
#include "parts/part.h"

namespace viv {

class TEye : public TPart {
 public:
  TEye(TVirtualCreature* owner, std::string id, float phi);

  float Red = 0, Green = 0, Blue = 0;

  TPartKind Kind() const override { return TPartKind::Eye; }
  TPart* Clone(TVirtualCreature* newOwner) const override;
  void Draw(TLogoCanvas& canvas) override;
  void PutState(TOrganStateOut& out) const override;
  int32_t OutputCount() const override { return 3; }
  // Channels 0, 1, 2 are red, green, blue; any other channel gives 0.
  float Output(int32_t index) const override;

  void SetColors(float red, float green, float blue);
};

struct TOrganKind;
const TOrganKind& EyeKind();

}  // namespace viv
