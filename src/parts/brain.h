#pragma once
// The brain: noise plus a constant plus a formula, offered as one output channel.
#include "parts/formula.h"
#include "parts/part.h"

namespace viv {

class TBrain : public TPart {
 public:
  TBrain(TVirtualCreature* owner, std::string id, float r, float phi, float randomWeight, float constant,
         std::string formula);

  float RandomWeight;
  float Constant;
  float Value = 0;

  const std::string& Formula() const { return formula_; }
  void SetFormula(std::string formula);

  TPartKind Kind() const override { return TPartKind::Brain; }
  std::string GetProperty(const std::string& name) const override;
  void SetProperty(const std::string& name, const std::string& value) override;
  TPart* Clone(TVirtualCreature* newOwner) const override;
  void Draw(TLogoCanvas& canvas) override;
  int32_t OutputCount() const override { return 1; }
  float Output(int32_t) const override { return Value; }
  void Mutate(float rate, TRandom& random) override;
  void Update(TRandom& random) override;
  std::string PropertyNames() const override;
  const std::string* FormulaText() const override { return &formula_; }
  void PutState(TOrganStateOut& out) const override;
  void UpdatePlain(TRandom& random) override;

 private:
  void SetValue(float formulaValue, TRandom& random);
  std::string formula_;
  TCompiledFormula compiled_;
};

struct TOrganKind;
const TOrganKind& BrainKind();

}  // namespace viv
