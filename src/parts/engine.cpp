#include "parts/engine.h"

#include <cmath>
#include <numbers>

#include "config/mutate.h"
#include "config/number_text.h"
#include "draw/logo_canvas.h"
#include "parts/organ_kinds.h"
#include "parts/xml_attribute.h"

namespace viv {

TEngine::TEngine(TVirtualCreature* owner, std::string id, float phi, float angle, std::string formula)
    : TPart(owner, std::move(id), 1.0f, phi), Angle(angle), FlapAngle(static_cast<float>(std::numbers::pi / 8)) {
  Size = 0.07f;
  SetFormula(std::move(formula));
}

void TEngine::SetFormula(std::string formula) {
  formula_ = std::move(formula);
  compiled_ = TCompiledFormula(formula_);
}

std::string TEngine::GetProperty(const std::string& name) const {
  if (name == "angle") return FloatToText(Angle);
  if (name == "formula") return formula_;
  return TPart::GetProperty(name);
}

void TEngine::SetProperty(const std::string& name, const std::string& value) {
  if (name == "angle") Angle = StrToSingle(value);
  else if (name == "formula") SetFormula(value);
  else TPart::SetProperty(name, value);
}

TPart* TEngine::Clone(TVirtualCreature* newOwner) const { return new TEngine(newOwner, Id, Phi, Angle, formula_); }

float TEngine::Cost() const { return static_cast<float>(Power / 20.0 + 1); }

void TEngine::Mutate(float rate, TRandom& random) {
  Phi = static_cast<float>(MutateAngle(random, Phi, rate));
  Angle = static_cast<float>(MutateAngle(random, Angle, rate));
}

void TEngine::SetPower(float value) {
  Power = value;
  if (!(Power >= 0)) Power = 0;
  if (Power > 100) Power = 100;
  Phase += Power;
}

namespace {

// The right engine's phase runs on by a thousandth a step, added in double precision and
// rounded when stored.
void AdvancePhase(const std::string& id, float& phase) {
  if (id == "RightEngine") phase = static_cast<float>(static_cast<double>(phase) + 0.001);
}

}  // namespace

void TEngine::Update(TRandom&) {
  AdvancePhase(Id, Phase);
  SetPower(compiled_.Eval(Owner));
}

void TEngine::UpdatePlain(TRandom&) {
  AdvancePhase(Id, Phase);
  SetPower(EvalFormula(formula_));
}

std::string TEngine::PropertyNames() const { return TPart::PropertyNames() + "|angle|formula"; }

void TEngine::GetThrust(float radius, float& force, float& torque) const {
  if (!(radius > 0)) {
    force = torque = 0;
    return;
  }
  angleTrig_.For(Angle);
  force = static_cast<float>(angleTrig_.Cos * Size * Power / radius);
  torque = static_cast<float>(angleTrig_.Sin * 0.25 * Size * Power / radius);
}

// A flapping fin: a zigzag whose opening swings with the running phase.
void TEngine::Draw(TLogoCanvas& canvas) {
  canvas.Turn(Angle);
  FlapAngle = static_cast<float>((std::sin(static_cast<double>(Phase) / 30) + 1) * (3 * std::numbers::pi) / 16);
  canvas.Turn(FlapAngle);
  canvas.Forward(Size);
  for (int32_t i = 0; i < Segments; ++i) {
    canvas.Turn(-2 * FlapAngle);
    canvas.Forward(Size);
    canvas.Turn(2 * FlapAngle);
    canvas.Forward(Size);
  }
}

void TEngine::PutState(TOrganStateOut& out) const {
  out.Whole(Segments), out.Real(Angle), out.Real(Power);
  if (!out.ForHash()) out.Real(FlapAngle);  // changed by drawing only
  out.Real(Phase);
  out.Text(formula_);
}

const TOrganKind& EngineKind() {
  static const TOrganKind kind{
      TPartKind::Engine,
      "engine",
      "an engine",
      2,
      TWiringColumn::Engines,
      {"id", "phi", "angle", "formula"},
      // Pushing straight ahead.
      [](TVirtualCreature* owner, const std::string& id) -> TPart* {
        return new TEngine(owner, id, static_cast<float>(std::numbers::pi), 0, "");
      },
      [](const pugi::xml_node& node, TVirtualCreature* owner, const std::string& id) -> TPart* {
        const float phi = AttributeSingle(node, "phi"), angle = AttributeSingle(node, "angle");
        return new TEngine(owner, id, phi, angle, AttributeText(node, "formula"));
      },
      [](TOrganStateIn& in, TVirtualCreature* owner, const std::string& id, float, float phi) -> TPart* {
        const int32_t segments = in.Whole();
        const float angle = in.Real(), power = in.Real(), flap = in.Real(), phase = in.Real();
        std::string formula = in.Formula();
        if (segments < 0 || segments > 1000) in.Damaged("an engine with a strange number of segments");
        auto* engine = new TEngine(owner, id, phi, angle, std::move(formula));
        engine->Segments = segments, engine->Power = power, engine->FlapAngle = flap, engine->Phase = phase;
        return engine;
      }};
  return kind;
}

}  // namespace viv
