// The main window's ways into the animal editor.
#include <QCursor>
#include <QListWidget>

#include "app/animal_editor.h"
#include "app/main_window.h"
#include "world/world.h"

namespace viv {

void TfrmVivarion::ShowEditor(const std::function<bool(TAnimalEditor&)>& load) {
  if (!editor_) editor_ = new TAnimalEditor(this, this);
  if (!load(*editor_)) return;
  editor_->show();
  editor_->raise();
}

void TfrmVivarion::OpenEditor(const std::string& text, const std::string& name, const std::string& fileName) {
  ShowEditor([&](TAnimalEditor& editor) {
    try {
      if (!editor.MaySetAside()) return true;  // the user goes back to the animal being edited
      editor.SetAnimal(text, name, fileName);
      return true;
    } catch (const std::exception& e) {
      ReportError(e);
      return false;
    }
  });
}

void TfrmVivarion::EditCreature(uint64_t serial) {
  const TCreature* c = doc_.Population().FindSerial(serial);
  if (!c) return;
  const std::string name = c->SpeciesLabel();
  OpenEditor(c->ToXmlText(), name.empty() ? "UNNAMED" : name, "");
}

// E: the creature under the pointer, else the one followed by an information window or held.
void TfrmVivarion::EditUnderPointer() {
  const QPoint at = mapFromGlobal(QCursor::pos());
  const TScreenPoint p = ScreenToWorld(View(), static_cast<float>(at.x()), static_cast<float>(at.y()), 0);
  const TCreature* under = rect().contains(at) ? doc_.Population().CreatureAt(p.X, p.Y) : nullptr;
  if (const uint64_t serial = under ? under->Serial : InspectedSerial()) EditCreature(serial);
  else ShowNotice("E: no creature under the pointer (point at one, or double-click one first)");
}

// The start panel's button: the file under the list's cursor, else the built-in animal.
void TfrmVivarion::EditFromStartPanel() {
  if (const QListWidgetItem* item = chklAnimals->currentItem()) {
    const std::string file = AnimalsFolder + "/" + item->text().toStdString();
    ShowEditor([&](TAnimalEditor& editor) { return editor.OpenFile(file); });
    return;
  }
  TWorldContext scratch;
  const std::unique_ptr<TCreature> adam(CreateAdam(scratch));
  OpenEditor(adam->ToXmlText(), "ADAM", "");
}

}  // namespace viv
