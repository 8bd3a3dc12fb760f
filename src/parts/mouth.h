#pragma once
// The mouth: one output channel, what it took in at the last bite.
#include "parts/part.h"

namespace viv {

class TMouth : public TPart {
 public:
  TMouth(TVirtualCreature* owner, std::string id, float phi);

  float Intake = 0;

  TPartKind Kind() const override { return TPartKind::Mouth; }
  TPart* Clone(TVirtualCreature* newOwner) const override;
  void Draw(TLogoCanvas& canvas) override;
  void PutState(TOrganStateOut& out) const override;
  int32_t OutputCount() const override { return 1; }
  float Output(int32_t) const override { return Intake; }
  void Mutate(float rate, TRandom& random) override;

  void SetIntake(float value) { Intake = value; }
};

struct TOrganKind;
const TOrganKind& MouthKind();

}  // namespace viv
