#pragma once
// The engine (fin): its formula sets a power from 0 to 100 that pushes and turns the body.
#include "parts/formula.h"
#include "parts/part.h"

namespace viv {

class TEngine : public TPart {
 public:
  TEngine(TVirtualCreature* owner, std::string id, float phi, float angle, std::string formula);

  int32_t Segments = 3;
  float Angle;
  float Power = 0;
  float FlapAngle;
  float Phase = 0;

  const std::string& Formula() const { return formula_; }
  void SetFormula(std::string formula);

  TPartKind Kind() const override { return TPartKind::Engine; }
  std::string GetProperty(const std::string& name) const override;
  void SetProperty(const std::string& name, const std::string& value) override;
  TPart* Clone(TVirtualCreature* newOwner) const override;
  void Draw(TLogoCanvas& canvas) override;
  float Cost() const override;
  void Mutate(float rate, TRandom& random) override;
  void Update(TRandom& random) override;
  std::string PropertyNames() const override;
  const std::string* FormulaText() const override { return &formula_; }
  std::optional<float> DirectionAngle() const override { return Angle; }
  std::optional<float> MomentaryPower() const override { return Power; }
  void PutState(TOrganStateOut& out) const override;
  void UpdatePlain(TRandom& random) override;

  // The push along the organ's direction and the turn, for a body of this radius.
  // A body of radius 0 (no energy) gets neither.
  void GetThrust(float radius, float& force, float& torque) const;

 private:
  void SetPower(float value);
  mutable TSinCos angleTrig_;  // of Angle, for GetThrust
  std::string formula_;
  TCompiledFormula compiled_;
};

struct TOrganKind;
const TOrganKind& EngineKind();

}  // namespace viv
