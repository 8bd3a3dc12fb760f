#include "parts/brain.h"

#include <cmath>
#include <limits>

#include "config/mutate.h"
#include "config/number_text.h"
#include "config/random.h"
#include "draw/logo_canvas.h"
#include "parts/organ_kinds.h"
#include "parts/xml_attribute.h"

namespace viv {

TBrain::TBrain(TVirtualCreature* owner, std::string id, float r, float phi, float randomWeight, float constant,
               std::string formula)
    : TPart(owner, std::move(id), r, phi), RandomWeight(randomWeight), Constant(constant) {
  SetFormula(std::move(formula));
}

void TBrain::SetFormula(std::string formula) {
  formula_ = std::move(formula);
  compiled_ = TCompiledFormula(formula_);
}

std::string TBrain::GetProperty(const std::string& name) const {
  if (name == "random") return FloatToText(RandomWeight);
  if (name == "constant") return FloatToText(Constant);
  if (name == "formula") return formula_;
  return TPart::GetProperty(name);
}

void TBrain::SetProperty(const std::string& name, const std::string& value) {
  if (name == "random") RandomWeight = StrToSingle(value);
  else if (name == "constant") Constant = StrToSingle(value);
  else if (name == "formula") SetFormula(value);
  else TPart::SetProperty(name, value);
}

TPart* TBrain::Clone(TVirtualCreature* newOwner) const {
  return new TBrain(newOwner, Id, R, Phi, RandomWeight, Constant, formula_);
}

void TBrain::Mutate(float rate, TRandom& random) {
  RandomWeight = static_cast<float>(MutateUnit(random, RandomWeight, rate));
  Constant = static_cast<float>(MutateUnit(random, Constant, rate));
  Phi = static_cast<float>(MutateAngle(random, Phi, rate));
}

void TBrain::SetValue(float formulaValue, TRandom& random) {
  double u = random.Real();
  const float value = static_cast<float>(u * RandomWeight + Constant + formulaValue);
  // A brain that reads itself (or a loop of brains) with a gain above one runs away: its value
  // saturates at the largest float instead of turning infinite, and an undefined sum (infinity
  // less infinity) is 0, so that organ outputs, and the world files that hold them, stay finite.
  if (std::isfinite(value)) Value = value;
  else Value = std::isnan(value) ? 0.0f : std::copysign(std::numeric_limits<float>::max(), value);
}

void TBrain::Update(TRandom& random) { SetValue(compiled_.Eval(Owner), random); }
void TBrain::UpdatePlain(TRandom& random) { SetValue(EvalFormula(formula_), random); }

std::string TBrain::PropertyNames() const { return TPart::PropertyNames() + "|random|constant|formula"; }

void TBrain::Draw(TLogoCanvas& canvas) {
  canvas.Brush() = 0x00303030;
  canvas.Circle(0.083f);
}

void TBrain::PutState(TOrganStateOut& out) const {
  out.Real(RandomWeight), out.Real(Constant), out.Real(Value);
  out.Text(formula_);
}

const TOrganKind& BrainKind() {
  static const TOrganKind kind{
      TPartKind::Brain,
      "brain",
      "a brain",
      3,
      TWiringColumn::Brains,
      {"id", "r", "phi", "random", "constant", "formula"},
      // At the centre.
      [](TVirtualCreature* owner, const std::string& id) -> TPart* { return new TBrain(owner, id, 0, 0, 0, 0, ""); },
      [](const pugi::xml_node& node, TVirtualCreature* owner, const std::string& id) -> TPart* {
        const float r = AttributeSingle(node, "r"), phi = AttributeSingle(node, "phi");
        const float random = AttributeSingle(node, "random"), constant = AttributeSingle(node, "constant");
        return new TBrain(owner, id, r, phi, random, constant, AttributeText(node, "formula"));
      },
      [](TOrganStateIn& in, TVirtualCreature* owner, const std::string& id, float r, float phi) -> TPart* {
        const float weight = in.Real(), constant = in.Real(), value = in.Real();
        std::string formula = in.Formula();
        auto* brain = new TBrain(owner, id, r, phi, weight, constant, std::move(formula));
        brain->Value = value;
        return brain;
      }};
  return kind;
}

}  // namespace viv
