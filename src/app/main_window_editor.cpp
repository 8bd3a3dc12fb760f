// The main window's ways into the animal editor.
#include <QCursor>

#include "app/animal_editor.h"
#include "app/main_window.h"
#include "world/world.h"

namespace viv {

void TfrmVivarion::EditUnderPointer() {
  const QPoint at = mapFromGlobal(QCursor::pos());
  const TScreenPoint p = ScreenToWorld(View(), static_cast<float>(at.x()), static_cast<float>(at.y()), 0);
  const TCreature* under = rect().contains(at) ? doc_.Population().CreatureAt(p.X, p.Y) : nullptr;
  if (const uint64_t serial = under ? under->Serial : companions_.InspectedSerial()) companions_.EditCreature(serial);
  else ShowNotice("E: no creature under the pointer (point at one, or double-click one first)");
}

}  // namespace viv
