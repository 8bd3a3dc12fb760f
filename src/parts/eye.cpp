#include "parts/eye.h"

#include "draw/logo_canvas.h"
#include "parts/organ_kinds.h"
#include "parts/xml_attribute.h"

namespace viv {

TEye::TEye(TVirtualCreature* owner, std::string id, float phi) : TPart(owner, std::move(id), 1.0f, phi) {
  Size = static_cast<float>(Size * 1.8);
}

TPart* TEye::Clone(TVirtualCreature* newOwner) const { return new TEye(newOwner, Id, Phi); }

float TEye::Output(int32_t index) const {
  switch (index) {
    case 0: return Red;
    case 1: return Green;
    case 2: return Blue;
    default: return 0.0f;
  }
}

void TEye::SetColors(float red, float green, float blue) {
  Red = red;
  Green = green;
  Blue = blue;
}

void TEye::Draw(TLogoCanvas& canvas) {
  canvas.Brush() = 0x02505000;
  canvas.Circle(Size);
}

void TEye::PutState(TOrganStateOut& out) const { out.Real(Red), out.Real(Green), out.Real(Blue); }

const TOrganKind& EyeKind() {
  static const TOrganKind kind{
      TPartKind::Eye,
      "eye",
      "an eye",
      0,
      TWiringColumn::Senses,
      {"id", "phi"},
      [](TVirtualCreature* owner, const std::string& id) -> TPart* { return new TEye(owner, id, 0); },
      [](const pugi::xml_node& node, TVirtualCreature* owner, const std::string& id) -> TPart* {
        return new TEye(owner, id, AttributeSingle(node, "phi"));
      },
      [](TOrganStateIn& in, TVirtualCreature* owner, const std::string& id, float, float phi) -> TPart* {
        const float red = in.Real(), green = in.Real(), blue = in.Real();
        auto* eye = new TEye(owner, id, phi);
        eye->Red = red, eye->Green = green, eye->Blue = blue;
        return eye;
      }};
  return kind;
}

}  // namespace viv
