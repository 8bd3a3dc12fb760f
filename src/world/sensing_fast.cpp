// The sensing and actuation pass in its fast form. It gives the same world as the plain
// pass, bit for bit: formulas are evaluated from their compiled form.
#include "parts/engine.h"
#include "parts/eye.h"
#include "parts/mouth.h"
#include "world/sensing.h"

namespace viv {

void TCreatureList::SenseAndActFast() {
  const int32_t count = Count();
  for (int32_t i = 0; i < count; ++i) {
    TCreature& k = *List[i];
    for (TPart* part : k.Parts.Items) {
      switch (part->Kind()) {
        case TPartKind::Eye: {
          auto* eye = static_cast<TEye*>(part);
          float r, g, b;
          GatherLight(i, k.X, k.Y, eye->Phi + k.Heading, EyeWidth, r, g, b);
          eye->SetColors(r, g, b);
          break;
        }
        case TPartKind::Engine:
          ApplyEngine(k, *static_cast<TEngine*>(part));
          break;
        case TPartKind::Brain:
          break;
        case TPartKind::Mouth: {
          auto* mouth = static_cast<TMouth*>(part);
          float qx, qy;
          MouthReach(k, *mouth, qx, qy);
          Bite(k, *mouth, CreatureAt(qx, qy));
          break;
        }
      }
    }
  }
  for (TCreature* k : List)
    for (TPart* part : k->Parts.Items) part->Update();
}

}  // namespace viv
