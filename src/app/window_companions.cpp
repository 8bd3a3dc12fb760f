#include "app/window_companions.h"

#include <QTabWidget>
#include <QWidget>

#include "app/animal_editor.h"
#include "app/info_window.h"
#include "app/observatory.h"
#include "app/window_messages.h"
#include "app/world_window.h"

namespace viv {

TWindowCompanions::~TWindowCompanions() { delete observatory_; }

void TWindowCompanions::ToggleObservatory() {
  if (!observatory_) observatory_ = new TfrmObservatory(&main_);
  if (observatory_->isVisible()) {
    observatory_->hide();
  } else {
    observatory_->show();
    observatory_->Refresh(true);
  }
}

void TWindowCompanions::ShowInspector(uint64_t serial) {
  inspectRequested_ = serial;
  if (!observatory_ || !observatory_->isVisible()) ToggleObservatory();
  observatory_->Tabs->setCurrentWidget(observatory_->Inspector);
  observatory_->Refresh(true);
  observatory_->raise();
}

uint64_t TWindowCompanions::InspectedSerial() const {
  const QList<TfrmInfo*> windows = main_.Widget()->findChildren<TfrmInfo*>(Qt::FindDirectChildrenOnly);
  if (inspectRequested_ != 0)
    for (const TfrmInfo* w : windows)
      if (w->Serial == inspectRequested_) return inspectRequested_;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if ((*it)->Serial) return (*it)->Serial;
  return main_.Shown().Held();
}

void TWindowCompanions::OpenInfoWindow(const TCreature& creature) {
  (new TfrmInfo(&main_, creature.Serial))->RefreshInfo(creature);
}

void TWindowCompanions::EditCreature(uint64_t serial) {
  const TCreature* c = main_.Shown().Population().FindSerial(serial);
  if (!c) return;
  const std::string name = c->SpeciesLabel();
  try {
    OpenEditor(c->ToXmlText(), name.empty() ? "UNNAMED" : name, "");
  } catch (const std::exception& e) {
    messages_.Report(e);
  }
}

void TWindowCompanions::Refresh() {
  const TSimulation& shown = main_.Shown();
  for (TfrmInfo* w : main_.Widget()->findChildren<TfrmInfo*>(Qt::FindDirectChildrenOnly)) {
    if (!w->Serial || w->Mourning()) continue;  // released, or saying its creature died
    if (const TCreature* c = shown.Population().FindSerial(w->Serial)) w->RefreshInfo(*c);
    else w->SayDied(shown.StepCount());
  }
  if (observatory_) observatory_->Refresh();
}

void TWindowCompanions::ReleaseInfoWindows() {
  for (TfrmInfo* info : main_.Widget()->findChildren<TfrmInfo*>(Qt::FindDirectChildrenOnly)) info->Release();
}

TAnimalEditor& TWindowCompanions::MadeEditor() {
  if (!editor_) editor_ = new TAnimalEditor(&main_, main_.Widget());
  return *editor_;
}

void TWindowCompanions::OpenEditor(const std::string& text, const std::string& name, const std::string& fileName) {
  TAnimalEditor& editor = MadeEditor();
  if (editor.MaySetAside()) editor.SetAnimal(text, name, fileName);  // else the user goes back to it
  editor.show();
  editor.raise();
}

void TWindowCompanions::OpenEditorOnFile(const std::string& fileName) {
  TAnimalEditor& editor = MadeEditor();
  if (!editor.OpenFile(fileName)) return;
  editor.show();
  editor.raise();
}

bool TWindowCompanions::MayClose() const { return !editor_ || editor_->MaySetAside(); }

void TWindowCompanions::Close() {
  if (observatory_) observatory_->close();
  if (editor_) editor_->hide();
}

}  // namespace viv
