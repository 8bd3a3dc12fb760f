#include "parts/part.h"

#include "config/mutate.h"
#include "config/number_text.h"
#include "parts/formula.h"
#include "parts/organ_kinds.h"

namespace viv {

TPart::TPart(TVirtualCreature* owner, std::string id, float r, float phi)
    : Size(0.1f), R(r), Phi(phi), Owner(owner), Id(std::move(id)) {}

const char* KindName(TPartKind kind) { return OrganKindOf(kind).Name; }

std::string TPart::GetProperty(const std::string& name) const {
  if (name == "type") return KindName(Kind());
  if (name == "id") return Id;
  if (name == "r") return FloatToText(R);
  if (name == "phi") return FloatToText(Phi);
  return "";
}

void TPart::SetProperty(const std::string& name, const std::string& value) {
  if (name == "id") {
    Id = value;
    if (Owner) Owner->NoteIdChanged();
  } else if (name == "r") {
    R = StrToSingle(value);
  } else if (name == "phi") {
    Phi = StrToSingle(value);
  }
}

float TPart::Cost() const { return 1.0f; }
int32_t TPart::OutputCount() const { return 0; }
float TPart::Output(int32_t) const { return 0.0f; }
void TPart::Mutate(float rate, TRandom& random) { Phi = static_cast<float>(MutateAngle(random, Phi, rate)); }
void TPart::Update(TRandom&) {}
std::string TPart::PropertyNames() const { return "type|id|r|phi"; }

float TPart::EvalFormula(const std::string& formula) const { return EvalFormulaText(formula, Owner); }

}  // namespace viv
