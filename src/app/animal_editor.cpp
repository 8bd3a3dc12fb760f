#include "app/animal_editor.h"

#include <charconv>
#include <cstdio>

#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "app/angles.h"
#include "app/animal_views.h"
#include "app/world_window.h"
#include "config/data_files.h"
#include "config/errors.h"
#include "config/number_text.h"
#include "history/run_samples.h"
#include "parts/organ_kinds.h"
#include "view/frame.h"
#include "world/world.h"

namespace viv {

namespace {

constexpr int32_t SandboxPlants = 40;
constexpr int32_t SandboxStepsPerTick = 10;
constexpr size_t SandboxPoints = 2000;  // the graph keeps every other point beyond this

QPushButton* Button(const char* text, QWidget* parent, QLayout* into) {
  auto* b = new QPushButton(text, parent);
  into->addWidget(b);
  return b;
}

// A message box beside the editor that does not stop it (nor a test).
void Warn(QWidget* parent, const std::string& text, QMessageBox::Icon icon = QMessageBox::Warning) {
  auto* box = new QMessageBox(icon, "Animal editor", QString::fromStdString(text), QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

// A number as a field shows it: the shortest text that reads back to the same single-precision
// value (30.77988, not 30.7798767089844); other text as it is.
std::string FieldText(const std::string& text) {
  try {
    const float value = StrToSingle(text);
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : text;
  } catch (const std::exception&) {
    return text;
  }
}

// Directions are kept in radians and shown in degrees, as the inspector shows them.
bool IsAngle(const std::string& name) { return name == "phi" || name == "angle"; }

std::string DegreesText(const std::string& radians) {
  try {
    return FieldText(FloatToText(static_cast<float>(ShownDegrees(StrToSingle(radians)))));
  } catch (const std::exception&) {
    return radians;
  }
}

// What a field holds as its value is kept: degrees typed become radians; text that is no
// number is passed on as it is, to be refused with the reader's message.
std::string ValueText(const std::string& name, const std::string& text) {
  if (!IsAngle(name)) return text;
  try {
    return FloatToText(static_cast<float>(DegreesToRadians(StrToSingle(text))));
  } catch (const std::exception&) {
    return text;
  }
}

// A colour as a field shows it: hexadecimal, 0xFFBBGGRR, which reads back as the same number.
std::string ColourText(TColor colour) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(colour));
  return buffer;
}

// The formula language in a few lines, as the formula fields' tooltip.
const QString FormulaHelp =
    "Terms Id.Output*Factor joined by +, such as RightEye.1*8 + LeftEye.1*8.\n"
    "Id: an organ's id (the first organ with it). Outputs: an eye 0, 1, 2 (the red, green and\n"
    "blue light it sees), a mouth 0 (what it ate), a brain 0 (its value); an engine has none.\n"
    "Terms are only added: take one away with a negative factor (LeftEye.1*-8).";

std::string OrganLine(const TPart& part, int32_t k) {
  return std::to_string(k + 1) + ". " + KindName(part.Kind()) + "  " + part.Id;
}

}  // namespace

TAnimalEditor::TAnimalEditor(TWorldWindow* main, QWidget* parent) : QWidget(parent, Qt::Window), main_(main) {
  setObjectName("AnimalEditor");
  resize(1100, 760);
  auto* whole = new QVBoxLayout(this);

  auto* files = new QHBoxLayout;
  butNew = Button("New", this, files);
  butOpen = Button("Open...", this, files);
  butSave = Button("Save", this, files);
  butSaveAs = Button("Save as...", this, files);
  butUndo = Button("Undo", this, files);
  butRedo = Button("Redo", this, files);
  files->addStretch();
  butTry = Button("Try in the sandbox", this, files);
  butPut = Button("Put into the world", this, files);
  whole->addLayout(files);

  auto* middle = new QHBoxLayout;
  Drawing = new TAnimalDrawing(this);
  Drawing->OrganClicked = [this](int32_t k) { SelectOrgan(k); };
  middle->addWidget(Drawing, 3);

  auto* listColumn = new QVBoxLayout;
  Organs = new QListWidget(this);
  listColumn->addWidget(Organs);
  // A button to add an organ of each kind.
  auto* adds = new QHBoxLayout;
  for (const TOrganKind& kind : OrganKinds()) {
    QPushButton* add = Button(("+ " + std::string(kind.Name)).c_str(), this, adds);
    connect(add, &QPushButton::clicked, this, [this, k = kind.Kind] { AddOrgan(k); });
  }
  listColumn->addLayout(adds);
  auto* moves = new QHBoxLayout;
  butDuplicate = Button("Duplicate", this, moves);
  butRemove = Button("Remove", this, moves);
  butUp = Button("Up", this, moves);
  butDown = Button("Down", this, moves);
  listColumn->addLayout(moves);
  middle->addLayout(listColumn, 2);

  auto* fieldColumn = new QVBoxLayout;
  auto* animalBox = new QGroupBox("The animal", this);
  animalForm_ = new QFormLayout(animalBox);
  fieldColumn->addWidget(animalBox);
  organBox_ = new QGroupBox("The organ", this);
  organForm_ = new QFormLayout(organBox_);
  fieldColumn->addWidget(organBox_);
  ProblemsLabel = new QLabel(this);
  ProblemsLabel->setWordWrap(true);
  ProblemsLabel->setMinimumWidth(260);
  fieldColumn->addWidget(ProblemsLabel);
  fieldColumn->addStretch();
  middle->addLayout(fieldColumn, 2);
  whole->addLayout(middle, 3);

  auto* lower = new QHBoxLayout;
  Wiring = new TWiringView(this);
  lower->addWidget(Wiring, 3);
  auto* sandboxColumn = new QVBoxLayout;
  SandboxPicture = new QLabel(this);
  SandboxPicture->setFixedSize(300, 180);
  SandboxPicture->setStyleSheet("background: black");
  sandboxColumn->addWidget(SandboxPicture);
  EnergyGraph = new TEnergyGraph(this);
  EnergyGraph->Caption = "Try the animal in a sandbox of its own";
  sandboxColumn->addWidget(EnergyGraph);
  lower->addLayout(sandboxColumn, 2);
  whole->addLayout(lower, 2);

  sandboxTimer_ = new QTimer(this);
  sandboxTimer_->setInterval(40);
  connect(sandboxTimer_, &QTimer::timeout, this, [this] {
    if (isVisible()) StepSandbox(SandboxStepsPerTick);
  });

  connect(butNew, &QPushButton::clicked, this, [this] {
    if (MaySetAside()) NewAnimal();
  });
  connect(butOpen, &QPushButton::clicked, this, [this] {
    if (!MaySetAside()) return;
    const QString file = QFileDialog::getOpenFileName(this, "Open an animal", "animals", "Animal files (*.viv)");
    if (!file.isEmpty()) OpenFile(file.toStdString());
  });
  connect(butSave, &QPushButton::clicked, this, [this] {
    if (fileName_.empty()) SaveAs();
    else SaveFile(fileName_);
  });
  connect(butSaveAs, &QPushButton::clicked, this, [this] { SaveAs(); });
  AskToSave = [this] {
    const auto answer = QMessageBox::question(
        this, "Animal editor",
        QString::fromStdString("The animal " + name_ + " has changes that are not saved. Save them?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    return answer == QMessageBox::Save      ? TAnswer::Save
           : answer == QMessageBox::Discard ? TAnswer::Discard
                                            : TAnswer::Cancel;
  };
  AskSaveName = [this](const QString& proposed) {
    return QFileDialog::getSaveFileName(this, "Save the animal", proposed, "Animal files (*.viv)");
  };
  connect(butUndo, &QPushButton::clicked, this, &TAnimalEditor::Undo);
  connect(butRedo, &QPushButton::clicked, this, &TAnimalEditor::Redo);
  new QShortcut(QKeySequence::Undo, this, [this] { Undo(); });
  new QShortcut(QKeySequence::Redo, this, [this] { Redo(); });
  new QShortcut(QKeySequence::Save, this, [this] { butSave->click(); });
  new QShortcut(QKeySequence::New, this, [this] { butNew->click(); });
  new QShortcut(QKeySequence::Open, this, [this] { butOpen->click(); });
  new QShortcut(QKeySequence("Ctrl+T"), this, [this] { butTry->click(); });
  connect(butTry, &QPushButton::clicked, this, &TAnimalEditor::StartSandbox);
  connect(butPut, &QPushButton::clicked, this, &TAnimalEditor::PutIntoWorld);
  connect(butRemove, &QPushButton::clicked, this, &TAnimalEditor::RemoveOrgan);
  connect(butDuplicate, &QPushButton::clicked, this, &TAnimalEditor::DuplicateOrgan);
  connect(butUp, &QPushButton::clicked, this, [this] { MoveOrgan(-1); });
  connect(butDown, &QPushButton::clicked, this, [this] { MoveOrgan(1); });
  connect(Organs, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row != selected_) SelectOrgan(row);
  });
  NewAnimal();
}

TAnimalEditor::~TAnimalEditor() = default;

void TAnimalEditor::SetAnimal(const std::string& text, const std::string& name, const std::string& fileName) {
  auto animal = std::make_unique<TCreature>();
  animal->LoadFromText(text, name);
  animal_ = std::move(animal);
  text_ = animal_->ToXmlText();
  name_ = name;
  fileName_ = fileName;
  selected_ = animal_->Parts.Count() > 0 ? 0 : -1;
  savedText_ = text_;
  undo_.clear();
  redo_.clear();
  refused_.clear();
  Refresh();
}

void TAnimalEditor::ShowTitle() {
  // "[*]" is where Qt puts the mark of a changed document.
  setWindowTitle(QString::fromStdString("Animal editor - " + name_ + "[*]"));
  setWindowModified(IsModified());
}

bool TAnimalEditor::MaySetAside() {
  if (!IsModified()) return true;
  switch (AskToSave()) {
    case TAnswer::Save: return fileName_.empty() ? SaveAs() : SaveFile(fileName_);
    case TAnswer::Discard: return true;
    case TAnswer::Cancel: break;
  }
  return false;
}

void TAnimalEditor::closeEvent(QCloseEvent* event) {
  if (MaySetAside()) {
    event->accept();
    // What was thrown away is gone: the editor opens next time on the animal as saved.
    if (IsModified()) SetAnimal(savedText_, name_, fileName_);
  } else {
    event->ignore();
  }
}

bool TAnimalEditor::SaveAs() {
  QString file = AskSaveName(QString::fromStdString(fileName_.empty() ? "animals/" + name_ + ".viv" : fileName_));
  if (file.isEmpty()) return false;
  // The start panel lists the files that end in ".viv".
  if (!file.endsWith(".viv")) file += ".viv";
  if (!SaveFile(file.toStdString())) return false;
  const QString listed = QDir::current().absoluteFilePath("animals");
  if (QFileInfo(file).absolutePath() != listed)
    Warn(this,
         ("Saved as " + file + ". The start panel lists the animal files of " + listed +
          "; copy it there to seed worlds with it.")
             .toStdString(),
         QMessageBox::Information);
  return true;
}

void TAnimalEditor::NewAnimal() {
  TCreature body;  // the built-in animal's body, without organs
  body.Radius = 40;
  body.MaxEnergy = 2000;
  body.Color = 0x02005050;
  SetAnimal(body.ToXmlText(), "NEW", "");
}

bool TAnimalEditor::OpenFile(const std::string& fileName) {
  try {
    TCreature read;
    read.LoadFromFile(fileName);
    const std::string base = QFileInfo(QString::fromStdString(fileName)).completeBaseName().toStdString();
    SetAnimal(read.ToXmlText(), base, fileName);
    return true;
  } catch (const std::exception& e) {
    Warn(this, e.what());
    return false;
  }
}

bool TAnimalEditor::SaveFile(const std::string& fileName) {
  if (!IsValid()) return false;  // the problems are shown, and Save is disabled
  try {
    animal_->SaveToFile(fileName);
    fileName_ = fileName;
    name_ = QFileInfo(QString::fromStdString(fileName)).completeBaseName().toStdString();
    savedText_ = text_;
    ShowTitle();
    return true;
  } catch (const std::exception& e) {
    Warn(this, e.what());
    return false;
  }
}

std::unique_ptr<TCreature> TAnimalEditor::Copy() const {
  auto copy = std::make_unique<TCreature>();
  copy->LoadFromText(text_, name_);
  return copy;
}

void TAnimalEditor::Commit(const TCreature& edited, int32_t selected) {
  const std::string text = edited.ToXmlText();
  if (text == text_ && selected == selected_) return;
  undo_.emplace_back(text_, selected_);
  redo_.clear();
  animal_ = std::make_unique<TCreature>();
  animal_->LoadFromText(text, name_);
  text_ = text;
  selected_ = selected;
  Refresh();
}

void TAnimalEditor::AddOrgan(TPartKind kind) {
  auto edited = Copy();
  edited->Parts.Add(NewOrgan(kind, edited.get(), edited->Parts));
  Commit(*edited, edited->Parts.Count() - 1);
}

void TAnimalEditor::RemoveOrgan() {
  if (selected_ < 0 || selected_ >= animal_->Parts.Count()) return;
  auto edited = Copy();
  auto& items = edited->Parts.Items;
  delete items[static_cast<size_t>(selected_)];
  items.erase(items.begin() + selected_);
  edited->NoteIdChanged();
  Commit(*edited, std::min(selected_, edited->Parts.Count() - 1));
}

void TAnimalEditor::DuplicateOrgan() {
  if (selected_ < 0 || selected_ >= animal_->Parts.Count()) return;
  auto edited = Copy();
  TPart* copy = edited->Parts.Items[static_cast<size_t>(selected_)]->Clone(edited.get());
  // An id of its own, so that formulas can read the copy apart from the original.
  const std::string base = copy->Id;
  for (int n = 2; edited->Parts.Find(copy->Id) != nullptr; ++n) copy->Id = base + std::to_string(n);
  auto& items = edited->Parts.Items;
  items.insert(items.begin() + selected_ + 1, copy);
  Commit(*edited, selected_ + 1);
}

void TAnimalEditor::MoveOrgan(int delta) {
  const int32_t to = selected_ + delta;
  if (selected_ < 0 || to < 0 || to >= animal_->Parts.Count()) return;
  auto edited = Copy();
  std::swap(edited->Parts.Items[static_cast<size_t>(selected_)], edited->Parts.Items[static_cast<size_t>(to)]);
  edited->NoteIdChanged();
  Commit(*edited, to);
}

std::string TAnimalEditor::TryValue(TCreature& animal, int32_t organ, const std::string& name,
                                    const std::string& text) {
  try {
    if (organ < 0) {
      if (name == "radius") {
        const float radius = StrToSingle(text);
        if (!(radius >= 0)) return "the radius must be 0 or more";
        animal.Radius = radius;
      }
      if (name == "maxenergy") animal.MaxEnergy = StrToSingle(text);
      else if (name == "color") animal.Color = static_cast<TColor>(StrToInt(text));
      else if (name == "vegetable") animal.Vegetable = StrToBool(text);
      return {};
    }
    if (organ >= animal.Parts.Count()) return "no such organ";
    TPart* part = animal.Parts.Items[static_cast<size_t>(organ)];
    if (name == "id" && text.empty()) return "an organ needs an id";
    part->SetProperty(name, text);
    return {};
  } catch (const std::exception& e) {
    return e.what();
  }
}

std::string TAnimalEditor::SetValue(int32_t organ, const std::string& name, const std::string& text) {
  auto edited = Copy();
  if (std::string refused = TryValue(*edited, organ, name, text); !refused.empty()) return refused;
  Commit(*edited, organ >= 0 ? organ : selected_);
  return {};
}

void TAnimalEditor::SelectOrgan(int32_t organ) {
  if (organ >= animal_->Parts.Count()) organ = -1;
  selected_ = organ;
  Refresh();
}

void TAnimalEditor::Undo() { Travel(undo_, redo_); }
void TAnimalEditor::Redo() { Travel(redo_, undo_); }

void TAnimalEditor::Travel(TSnapshots& from, TSnapshots& to) {
  if (from.empty()) return;
  to.emplace_back(text_, selected_);
  std::tie(text_, selected_) = from.back();
  from.pop_back();
  animal_ = Copy();
  Refresh();
}

std::vector<std::string> TAnimalEditor::Problems() const {
  std::vector<std::string> problems;
  for (QLineEdit* field : refused_) problems.push_back(field->toolTip().toStdString());
  for (const TAnimalProblem& p : AnimalProblems(*animal_))
    problems.push_back(p.Organ < 0 ? p.Text : animal_->Parts.Items[static_cast<size_t>(p.Organ)]->Id + ": " + p.Text);
  return problems;
}

void TAnimalEditor::CheckField(int32_t organ, const std::string& name, QLineEdit* field) {
  auto scratch = Copy();
  std::string problem = TryValue(*scratch, organ, name, ValueText(name, field->text().toStdString()));
  const bool refused = !problem.empty();
  if (problem.empty() && name == "formula") problem = FormulaProblem(scratch->Parts, field->text().toStdString());
  MarkField(field, name, problem);
  if (refused) refused_.insert(field);
  else refused_.erase(field);
  ShowProblems();
}

void TAnimalEditor::MarkField(QLineEdit* field, const std::string& name, const std::string& problem) {
  field->setStyleSheet(problem.empty() ? "" : "background: #ffd8d8");
  field->setToolTip(QString::fromStdString(problem.empty() ? "" : name + ": " + problem));
}

void TAnimalEditor::ShowProblems() {
  const std::vector<std::string> problems = Problems();
  std::string text;
  for (const std::string& p : problems) text += (text.empty() ? "" : "\n") + p;
  ProblemsLabel->setText(QString::fromStdString(text));
  ProblemsLabel->setStyleSheet(problems.empty() ? "" : "color: #b00000");
  for (QPushButton* b : {butSave, butSaveAs, butTry}) b->setEnabled(problems.empty());
  butPut->setEnabled(problems.empty() && main_ != nullptr);
}

void TAnimalEditor::BuildFields() {
  refused_.clear();
  auto rebuild = [this](QFormLayout* form, std::vector<std::pair<std::string, QLineEdit*>>& fields, int32_t organ,
                        const std::vector<std::pair<std::string, std::string>>& values) {
    while (form->rowCount() > 0) form->removeRow(0);
    fields.clear();
    for (const auto& [name, value] : values) {
      auto* field = new QLineEdit(QString::fromStdString(value));
      field->setObjectName(QString::fromStdString(name));
      if (name == "formula") field->setToolTip(FormulaHelp);
      if (name == "color") {
        // Typed as a number, or picked: the picker keeps the flag byte above the colour.
        auto* row = new QHBoxLayout;
        auto* pick = new QPushButton("Pick...");
        pick->setObjectName("pickColour");
        connect(pick, &QPushButton::clicked, this, [this] {
          const TColor c = animal_->Color;
          const QColor picked = QColorDialog::getColor(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF), this);
          if (!picked.isValid()) return;
          const TColor colour = (c & 0xFF000000u) | static_cast<TColor>(picked.red()) |
                                (static_cast<TColor>(picked.green()) << 8) | (static_cast<TColor>(picked.blue()) << 16);
          SetValue(-1, "color", std::to_string(static_cast<int32_t>(colour)));
        });
        row->addWidget(field, 1);
        row->addWidget(pick);
        form->addRow(QString::fromStdString(name), row);
      } else {
        form->addRow(QString::fromStdString(IsAngle(name) ? name + " (\u00B0)" : name), field);
      }
      fields.emplace_back(name, field);
      // Checked as it is typed; taken when editing ends (Enter, or the focus leaves).
      connect(field, &QLineEdit::textEdited, this,
              [this, organ, name = name, field] { CheckField(organ, name, field); });
      connect(field, &QLineEdit::editingFinished, this, [this, organ, name = name, field] {
        if (refused_.count(field) == 0 && field->isModified()) {
          field->setModified(false);
          QTimer::singleShot(0, this, [this, organ, name, text = ValueText(name, field->text().toStdString())] {
            SetValue(organ, name, text);
          });
        }
      });
    }
  };
  rebuild(animalForm_, AnimalFields, -1,
          {{"radius", FieldText(FloatToText(animal_->Radius))},
           {"maxenergy", FieldText(FloatToText(animal_->MaxEnergy))},
           {"color", ColourText(animal_->Color)}});
  // Vegetable or not: a check box rather than a word to type.
  VegetableBox = new QCheckBox("vegetable (a plant)");
  VegetableBox->setObjectName("vegetable");
  VegetableBox->setChecked(animal_->Vegetable);
  animalForm_->addRow("", VegetableBox);
  connect(VegetableBox, &QCheckBox::toggled, this, [this](bool on) {
    QTimer::singleShot(0, this, [this, on] { SetValue(-1, "vegetable", on ? "True" : "False"); });
  });
  std::vector<std::pair<std::string, std::string>> organValues;
  if (selected_ >= 0) {
    const TPart& part = *animal_->Parts.Items[static_cast<size_t>(selected_)];
    // The values an animal file holds for an organ of its kind, as its reader takes them (an
    // eye's or a mouth's distance from the centre is written but never read: it is not offered).
    for (const std::string& name : OrganKindOf(part.Kind()).EditableValues)
      organValues.emplace_back(name, name == "id" || name == "formula" ? part.GetProperty(name)
                                     : IsAngle(name)                   ? DegreesText(part.GetProperty(name))
                                                                       : FieldText(part.GetProperty(name)));
  }
  rebuild(organForm_, OrganFields, selected_, organValues);
  organBox_->setTitle(
      selected_ >= 0
          ? QString("The organ: %1").arg(KindName(animal_->Parts.Items[static_cast<size_t>(selected_)]->Kind()))
          : "No organ selected");
  // A formula kept with a problem is marked as it was when typed.
  for (const auto& [name, field] : OrganFields)
    if (name == "formula") MarkField(field, name, FormulaProblem(animal_->Parts, field->text().toStdString()));
}

void TAnimalEditor::Refresh() {
  const QSignalBlocker quiet(Organs);
  Organs->clear();
  for (int32_t k = 0; k < animal_->Parts.Count(); ++k)
    Organs->addItem(QString::fromStdString(OrganLine(*animal_->Parts.Items[static_cast<size_t>(k)], k)));
  Organs->setCurrentRow(selected_);
  Drawing->Animal = animal_.get();
  Drawing->Selected = selected_;
  Wiring->Animal = animal_.get();
  Wiring->Selected = selected_;
  BuildFields();
  ShowProblems();
  ShowTitle();
  butUndo->setEnabled(!undo_.empty());
  butRedo->setEnabled(!redo_.empty());
  for (QPushButton* b : {butRemove, butDuplicate, butUp, butDown}) b->setEnabled(selected_ >= 0);
  Drawing->update();
  Wiring->update();
}

void TAnimalEditor::StartSandbox() {
  if (!IsValid()) return;
  auto sandbox = std::make_unique<TSimulation>();
  try {
    TSettings rules;
    if (main_) rules = main_->Shown().Rules();
    else rules.Open(FindSettingsFile());
    sandbox->StartUp(rules, 1);
    sandbox->Populate(600, 360, {}, TPopulationCounts{0, SandboxPlants});
    sandboxSerial_ = sandbox->PutAnimal(text_, name_, 0, 0);
  } catch (const std::exception& e) {
    Warn(this, e.what());
    return;
  }
  sandbox_ = std::move(sandbox);
  EnergyGraph->Points.clear();
  EnergyGraph->Points.emplace_back(0, sandbox_->Population().FindSerial(sandboxSerial_)->Energy());
  ShowSandbox();
  sandboxTimer_->start();
}

void TAnimalEditor::StepSandbox(int32_t steps) {
  if (!sandbox_) return;
  for (int32_t k = 0; k < steps; ++k) {
    sandbox_->Step();
    const TCreature* tried = sandbox_->Population().FindSerial(sandboxSerial_);
    EnergyGraph->Points.emplace_back(sandbox_->StepCount(), tried ? tried->Energy() : 0.0f);
    if (EnergyGraph->Points.size() > SandboxPoints) EnergyGraph->Points = EveryOther(EnergyGraph->Points);
    if (!tried) {
      sandboxTimer_->stop();
      break;
    }
  }
  ShowSandbox();
}

void TAnimalEditor::ShowSandbox() {
  const TCreature* tried = sandbox_->Population().FindSerial(sandboxSerial_);
  const TWorldFigures f = sandbox_->Figures();
  EnergyGraph->Caption =
      QString("Sandbox step %1: ").arg(sandbox_->StepCount()) +
      (tried ? QString("energy %1").arg(static_cast<double>(tried->Energy()), 0, 'f', 0) : QString("the animal died")) +
      QString(", %1 animal%2, %3 plants").arg(f.Animals).arg(f.Animals == 1 ? "" : "s").arg(f.Plants);
  EnergyGraph->update();
  QImage picture(SandboxPicture->size(), QImage::Format_RGB32);
  TView view;
  view.WindowWidth = picture.width(), view.WindowHeight = picture.height();
  view.Zoom = 0.35f;
  if (tried) view.ScrollX = -tried->X, view.ScrollY = -tried->Y;
  TFrameStatus status;
  status.Bare = true;  // the overlay's figures and keys belong to the main window
  DrawFrame(sandbox_->Population(), view, status, picture);
  SandboxPicture->setPixmap(QPixmap::fromImage(picture));
}

uint64_t TAnimalEditor::PutIntoWorld() {
  if (!IsValid()) return 0;  // the problems are shown, and the button is disabled
  if (!main_ || !main_->WorldRuns()) {
    Warn(this, "There is no running world to put the animal into: press Go (or open a world) first.");
    return 0;
  }
  try {
    const uint64_t serial = main_->PutAnimalAtCentre(text_, name_);
    main_->ShowNotice("Put " + name_ + " into the world (serial " + std::to_string(serial) + ")");
    return serial;
  } catch (const std::exception& e) {
    Warn(this, e.what());
    return 0;
  }
}

}  // namespace viv
