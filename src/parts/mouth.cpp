#include "parts/mouth.h"

#include "config/mutate.h"
#include "draw/logo_canvas.h"
#include "parts/organ_kinds.h"
#include "parts/xml_attribute.h"

namespace viv {

TMouth::TMouth(TVirtualCreature* owner, std::string id, float phi) : TPart(owner, std::move(id), 1.0f, phi) {
  Size = Size * 2;
}

TPart* TMouth::Clone(TVirtualCreature* newOwner) const { return new TMouth(newOwner, Id, Phi); }

void TMouth::Mutate(float rate, TRandom& random) { Phi = static_cast<float>(MutateAngle(random, Phi, rate)); }

// An open rectangle standing on the rim: two sides running outward, joined at their ends.
void TMouth::Draw(TLogoCanvas& canvas) {
  constexpr float halfPi = 1.5707963267948966f;
  canvas.Turn(-halfPi);
  canvas.Jump(Size / 3);
  canvas.Turn(halfPi);
  canvas.Forward(Size);
  canvas.Turn(halfPi);
  canvas.Forward(Size * 2 / 3);
  canvas.Turn(halfPi);
  canvas.Forward(Size);
}

void TMouth::PutState(TOrganStateOut& out) const { out.Real(Intake); }

const TOrganKind& MouthKind() {
  static const TOrganKind kind{
      TPartKind::Mouth,
      "mouth",
      "a mouth",
      1,
      TWiringColumn::Senses,
      {"id", "phi"},
      [](TVirtualCreature* owner, const std::string& id) -> TPart* { return new TMouth(owner, id, 0); },
      [](const pugi::xml_node& node, TVirtualCreature* owner, const std::string& id) -> TPart* {
        return new TMouth(owner, id, AttributeSingle(node, "phi"));
      },
      [](TOrganStateIn& in, TVirtualCreature* owner, const std::string& id, float, float phi) -> TPart* {
        const float intake = in.Real();
        auto* mouth = new TMouth(owner, id, phi);
        mouth->Intake = intake;
        return mouth;
      }};
  return kind;
}

}  // namespace viv
