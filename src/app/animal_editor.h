#pragma once
// The animal editor: an animal drawn large, its organs in a list, every value an animal file
// holds in fields checked as they are typed, the wiring of its formulas, undo and redo, animal
// files opened and saved (with the writer of S), a sandbox world of its own to try it in, and
// "Put into the world" for the main window's running world.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "creature/animal_edit.h"
#include "creature/creature.h"
#include "sim/simulation.h"

class QCheckBox;
class QGroupBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace viv {

class TAnimalDrawing;
class TEnergyGraph;
class TWiringView;
class TWorldWindow;

class TAnimalEditor : public QWidget {
  Q_OBJECT
 public:
  // main: the window whose world "Put into the world" and the sandbox's rules come from (may
  // be null: then the sandbox reads the settings file the programs use).
  explicit TAnimalEditor(TWorldWindow* main, QWidget* parent = nullptr);
  ~TAnimalEditor() override;

  // Starts on an animal file's text; name is what it is called (a file or species name),
  // fileName the file Save writes to ("" asks where). The undo history starts again.
  void SetAnimal(const std::string& text, const std::string& name, const std::string& fileName);
  // A body without organs, to build on.
  void NewAnimal();
  // Opens an animal file; an error shows a box naming it and keeps the animal as it was.
  bool OpenFile(const std::string& fileName);
  // Writes the animal file (the writer of S); refused while the animal is invalid.
  bool SaveFile(const std::string& fileName);
  // Asks where to save (the name gains ".viv" when it lacks it) and saves; false when the
  // user cancels or the save fails.
  bool SaveAs();

  // Whether the animal has changed since it was opened, made or saved (the title shows "*").
  bool IsModified() const { return text_ != savedText_; }
  // Before the animal is replaced or the editor closed: with changes, asks whether to save
  // them, throw them away or go back (AskToSave answers; the real one is a message box).
  // True when the animal may go.
  bool MaySetAside();
  enum class TAnswer { Save, Discard, Cancel };
  std::function<TAnswer()> AskToSave;
  // Save as: the file name chosen, "" to go back (the real one is a file dialog).
  std::function<QString(const QString& proposed)> AskSaveName;

  // Edits, each one step of undo.
  void AddOrgan(TPartKind kind);
  void RemoveOrgan();
  void DuplicateOrgan();
  void MoveOrgan(int delta);  // -1 up, +1 down
  // Sets a value of the selected organ (organ -1: of the animal itself: "radius", "maxenergy",
  // "color", "vegetable") from text, as a field does when its editing ends. Returns "" or why
  // the text was refused (a formula is kept even when it has a problem, which then shows).
  std::string SetValue(int32_t organ, const std::string& name, const std::string& text);
  void SelectOrgan(int32_t organ);
  void Undo();
  void Redo();

  // The animal file text of the animal as it stands, and what keeps it from being used.
  const std::string& Text() const { return text_; }
  const TCreature& Animal() const { return *animal_; }
  std::vector<std::string> Problems() const;
  bool IsValid() const { return Problems().empty(); }
  int32_t Selected() const { return selected_; }

  // The sandbox: a small world of its own (a few plants, the main world's rules) with the
  // animal at its centre, stepped by a timer while it is shown; StepSandbox steps it now.
  void StartSandbox();
  void StepSandbox(int32_t steps);
  const TSimulation* Sandbox() const { return sandbox_.get(); }
  uint64_t SandboxSerial() const { return sandboxSerial_; }
  // Puts the animal at the centre of the main window's view; returns its serial (0 when it
  // could not be put: no main window or world, or an invalid animal).
  uint64_t PutIntoWorld();

  // Widgets, named for tests.
  TAnimalDrawing* Drawing;
  TWiringView* Wiring;
  QListWidget* Organs;
  QLabel* ProblemsLabel;
  QLabel* SandboxPicture;
  TEnergyGraph* EnergyGraph;
  QPushButton *butNew, *butOpen, *butSave, *butSaveAs, *butUndo, *butRedo, *butTry, *butPut;
  QPushButton *butRemove, *butDuplicate, *butUp, *butDown;
  // The fields now shown: the animal's, then the selected organ's, by value name.
  // Directions ("phi", "angle") are shown and typed in degrees; SetValue takes the radians
  // an animal file holds.
  std::vector<std::pair<std::string, QLineEdit*>> AnimalFields, OrganFields;
  QCheckBox* VegetableBox = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowTitle();
  void Commit(const TCreature& edited, int32_t selected);
  std::unique_ptr<TCreature> Copy() const;
  void Refresh();
  void BuildFields();
  void CheckField(int32_t organ, const std::string& name, QLineEdit* field);
  static void MarkField(QLineEdit* field, const std::string& name, const std::string& problem);
  // Lists what is wrong under the fields and enables the buttons that need a valid animal.
  void ShowProblems();
  // Undo and redo: the last snapshot of one history becomes the animal, the animal goes onto the other.
  using TSnapshots = std::vector<std::pair<std::string, int32_t>>;  // texts and selections
  void Travel(TSnapshots& from, TSnapshots& to);
  void ShowSandbox();
  static std::string TryValue(TCreature& animal, int32_t organ, const std::string& name, const std::string& text);

  TWorldWindow* main_;
  std::unique_ptr<TCreature> animal_;
  std::string text_, name_, fileName_;
  std::string savedText_;  // the text as last opened, made or saved
  int32_t selected_ = -1;
  TSnapshots undo_, redo_;
  std::set<QLineEdit*> refused_;  // fields whose text cannot be taken
  QFormLayout* animalForm_;
  QFormLayout* organForm_;
  QGroupBox* organBox_;
  std::unique_ptr<TSimulation> sandbox_;
  uint64_t sandboxSerial_ = 0;
  QTimer* sandboxTimer_;
};

}  // namespace viv
