// The main window's ways into the animal editor.
#include <QCursor>

#include "app/animal_editor.h"
#include "app/main_window.h"
#include "world/world.h"

namespace viv {

void TfrmVivarion::EditCreature(uint64_t serial) {
  const TCreature* c = doc_.Population().FindSerial(serial);
  if (!c) return;
  const std::string name = c->SpeciesLabel();
  try {
    companions_.OpenEditor(c->ToXmlText(), name.empty() ? "UNNAMED" : name, "");
  } catch (const std::exception& e) {
    ReportError(e);
  }
}

void TfrmVivarion::EditUnderPointer() {
  const QPoint at = mapFromGlobal(QCursor::pos());
  const TScreenPoint p = ScreenToWorld(View(), static_cast<float>(at.x()), static_cast<float>(at.y()), 0);
  const TCreature* under = rect().contains(at) ? doc_.Population().CreatureAt(p.X, p.Y) : nullptr;
  if (const uint64_t serial = under ? under->Serial : InspectedSerial()) EditCreature(serial);
  else ShowNotice("E: no creature under the pointer (point at one, or double-click one first)");
}

}  // namespace viv
