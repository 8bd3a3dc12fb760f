#pragma once
// The start panel over the main window until a world runs: the animal files to seed (ticked in
// a list), how many animals and plants, Go, and the ways to open a world or the editor instead.
#include <QGroupBox>
#include <string>
#include <vector>

#include "world/population_file.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace viv {

class TStartPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit TStartPanel(QWidget* parent);

  QLabel* Label1;
  QListWidget* chklAnimals;
  QPushButton* butGo;
  QPushButton* butResume;  // "Resume last world", shown when the program left one
  QPushButton* butEditor;
  QPushButton* butOpenWorld;
  QSpinBox* seAnimals = nullptr;  // the animals and plants Go seeds (the population file's at first)
  QSpinBox* sePlants = nullptr;
  QLabel* lblNoAnimals;  // said over an empty list

  // At the first showing: the animal files listed, the counts of the population file, "Resume
  // last world" when one was left.
  void Fill(bool lastWorldLeft);
  // The controls placed for the window's size: the file list grows with the window, the rest
  // below it.
  void LayOut(int windowWidth, int windowHeight);
  // The ticked files (with their folder), and the counts Go seeds.
  std::vector<std::string> CheckedFiles() const;
  TPopulationCounts Counts() const;
  // The file under the list's cursor (with its folder), or empty.
  std::string CurrentFile() const;

 private:
  std::string animalsFolder_ = "animals";
  bool filled_ = false;
  Qt::CheckState pressedCheck_ = Qt::Unchecked;  // an animal file's tick when the press began
};

}  // namespace viv
