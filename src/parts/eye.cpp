#include "parts/eye.h"

#include "draw/logo_canvas.h"

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

}  // namespace viv
