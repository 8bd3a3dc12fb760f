#pragma once
// The windows that keep the main window company: the observatory and the animal editor (each
// made at its first use, a window of its own that keeps its place), and the information windows
// that follow creatures (children of the main window, so that they go with it).
#include <cstdint>
#include <string>

namespace viv {

class TAnimalEditor;
class TCreature;
class TWindowMessages;
class TWorldWindow;
class TfrmObservatory;

class TWindowCompanions {
 public:
  // Failures are told through messages.
  TWindowCompanions(TWorldWindow& main, TWindowMessages& messages) : main_(main), messages_(messages) {}
  ~TWindowCompanions();
  TWindowCompanions(const TWindowCompanions&) = delete;
  TWindowCompanions& operator=(const TWindowCompanions&) = delete;

  // O: shows the observatory, or hides it; it keeps its place and size.
  void ToggleObservatory();
  TfrmObservatory* Observatory() const { return observatory_; }
  // The observatory's inspector on this creature (an information window's link).
  void ShowInspector(uint64_t serial);
  // The creature the inspector shows: that of the information window whose link was pressed
  // while it follows its creature, else of the newest one following one, else held (0: none).
  uint64_t InspectedSerial() const;
  // An information window that follows creature, refreshed at once.
  void OpenInfoWindow(const TCreature& creature);
  // After each frame: the information windows and the observatory brought up to date.
  void Refresh();
  // Serials count again in a new world: the information windows let their creatures go.
  void ReleaseInfoWindows();

  // The editor on a living creature (gone: nothing), on an animal file's text (a bad text
  // throws), or on a file (whose errors it shows itself); it first asks to set aside an animal
  // being edited.
  void EditCreature(uint64_t serial);
  void OpenEditor(const std::string& text, const std::string& name, const std::string& fileName);
  void OpenEditorOnFile(const std::string& fileName);
  TAnimalEditor* Editor() const { return editor_; }
  // At the close: whether an animal being edited may go (the user is asked); then the windows
  // close with the main one.
  bool MayClose() const;
  void Close();

 private:
  TAnimalEditor& MadeEditor();
  TWorldWindow& main_;
  TWindowMessages& messages_;
  TfrmObservatory* observatory_ = nullptr;  // a window of its own, deleted with this
  TAnimalEditor* editor_ = nullptr;         // a child of the main window
  uint64_t inspectRequested_ = 0;           // the creature an information window sent to the inspector
};

}  // namespace viv
