// A creature drawn through the turtle: its body disc, then each organ in its own frame.
#include "creature/creature.h"
#include "draw/logo_canvas.h"

namespace viv {

namespace {
constexpr TColor OutlineColor = 0x02B0B0B0;
}

void TCreature::Draw(TLogoCanvas& canvas) const { Draw(canvas, Color); }

void TCreature::Draw(TLogoCanvas& canvas, TColor fill) const {
  canvas.Brush() = fill;
  canvas.Pen() = OutlineColor;
  canvas.Circle(Radius);
  for (TPart* part : Parts.Items) {
    canvas.PushStatus();
    canvas.Turn(part->Phi);
    canvas.Jump(part->R * Radius);
    canvas.Brush() = fill;
    canvas.Pen() = OutlineColor;
    canvas.Scale = canvas.Scale * Radius;
    part->Draw(canvas);
    canvas.PopStatus();
  }
}

}  // namespace viv
