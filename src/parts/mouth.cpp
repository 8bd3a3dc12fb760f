#include "parts/mouth.h"

#include "config/mutate.h"
#include "draw/logo_canvas.h"

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

}  // namespace viv
