#include "app/start_panel.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <climits>
#include <filesystem>

#include "config/data_files.h"
#include "config/duck.h"
#include "config/files.h"

namespace viv {

TStartPanel::TStartPanel(QWidget* parent) : QGroupBox("Use these animals:", parent) {
  setObjectName("gbSettings");
  Label1 =
      new QLabel("Select the animal files you want to use for the simulation, or none to use the build in one.", this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(16, 16, 193, 41);
  Label1->setWordWrap(true);
  chklAnimals = new QListWidget(this);
  chklAnimals->setObjectName("chklAnimals");
  chklAnimals->setGeometry(16, 56, 193, 169);
  // A click on a file name ticks or unticks it, as a click on its box does (the box
  // toggles itself before the click is reported).
  connect(chklAnimals, &QListWidget::itemPressed, this,
          [this](QListWidgetItem* item) { pressedCheck_ = item->checkState(); });
  connect(chklAnimals, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (item->checkState() == pressedCheck_)
      item->setCheckState(pressedCheck_ == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  });
  butGo = new QPushButton("Go", this);
  butGo->setObjectName("butGo");
  butGo->setGeometry(136, 232, 75, 25);
  butGo->setDefault(true);
  butResume = new QPushButton("Resume last world", this);
  butResume->setObjectName("butResume");
  // A row of its own under "Open world...": beside Go there is no room for its text.
  butResume->setGeometry(16, 360, std::max(195, butResume->sizeHint().width()), 25);
  butResume->setProperty("homeY", 360);
  butResume->hide();
  butEditor = new QPushButton("Animal editor...", this);
  butEditor->setObjectName("butEditor");
  butEditor->setGeometry(16, 296, 195, 25);
  butEditor->setProperty("homeY", 296);
  butOpenWorld = new QPushButton("Open world...", this);
  butOpenWorld->setObjectName("butOpenWorld");
  butOpenWorld->setGeometry(16, 328, 195, 25);
  butOpenWorld->setProperty("homeY", 328);
  // Said over the empty list, so that an empty panel is not a mystery.
  lblNoAnimals = new QLabel(this);
  lblNoAnimals->setObjectName("lblNoAnimals");
  lblNoAnimals->setWordWrap(true);
  lblNoAnimals->setAlignment(Qt::AlignCenter);
  lblNoAnimals->setAttribute(Qt::WA_TransparentForMouseEvents);
  lblNoAnimals->hide();

  // How many animals and plants Go seeds, shown and changeable here (the population file gives
  // the numbers the panel starts with; with several files ticked, the animals take them in turn).
  auto count = [&](const char* name, const char* label, int x, QSpinBox*& spin) {
    auto* text = new QLabel(label, this);
    text->setGeometry(x, 266, 50, 21);
    text->setProperty("homeY", 266);
    spin = new QSpinBox(this);
    spin->setObjectName(name);
    spin->setRange(0, INT32_MAX);
    spin->setGeometry(x + 50, 264, 60, 25);
    spin->setProperty("homeY", 264);
  };
  count("seAnimals", "Animals", 16, seAnimals);
  count("sePlants", "Plants", 136, sePlants);
}

void TStartPanel::Fill(bool lastWorldLeft) {
  if (filled_) return;
  filled_ = true;
  butResume->setVisible(lastWorldLeft);
  const TPopulationCounts counts = ReadPopulationFile(FindPopulationFile());
  seAnimals->setValue(counts.NumCreatures);
  sePlants->setValue(counts.NumFood);
  // Without an animals folder here (an installed program started from the home folder), the
  // samples installed with the program are offered, and the label says so.
  if (!std::filesystem::is_directory("animals") && std::filesystem::is_directory(InstalledDataFolder() + "animals")) {
    animalsFolder_ = InstalledDataFolder() + "animals";
    Label1->setText("No animals folder here: the samples installed with the program.");
  }
  std::vector<std::string> names;
  ListFiles(animalsFolder_ + "/*.viv", 63, names);
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(QString::fromStdString(name), chklAnimals);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  if (names.empty()) {
    lblNoAnimals->setText(
        QString::fromStdString("No animal files (*.viv) in " + animalsFolder_ + ". Go seeds the built-in animal."));
    lblNoAnimals->show();
  }
}

void TStartPanel::LayOut(int windowWidth, int windowHeight) {
  setGeometry(0, 0, windowWidth, windowHeight);
  // The first layout at the first size; a taller window gives the list the height it gains
  // (and the controls under it move down with it), a wider one the width.
  const int taller = std::max(0, windowHeight - 600), wider = std::max(0, std::min(windowWidth - 800, 400));
  chklAnimals->setGeometry(16, 56, 193 + wider, 169 + taller);
  lblNoAnimals->setGeometry(chklAnimals->geometry().adjusted(8, 8, -8, -8));
  butGo->move(136 + wider, 232 + taller);
  for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    const QVariant home = w->property("homeY");
    if (home.isValid()) w->move(w->x(), home.toInt() + taller);
  }
}

std::vector<std::string> TStartPanel::CheckedFiles() const {
  std::vector<std::string> files;
  for (int i = 0; i < chklAnimals->count(); ++i)
    if (chklAnimals->item(i)->checkState() == Qt::Checked)
      files.push_back(animalsFolder_ + "/" + chklAnimals->item(i)->text().toStdString());
  return files;
}

TPopulationCounts TStartPanel::Counts() const {
  TPopulationCounts counts;
  counts.NumCreatures = seAnimals->value();
  counts.NumFood = sePlants->value();
  return counts;
}

std::string TStartPanel::CurrentFile() const {
  const QListWidgetItem* item = chklAnimals->currentItem();
  return item ? animalsFolder_ + "/" + item->text().toStdString() : std::string();
}

}  // namespace viv
