// Worlds kept in files: Ctrl+S and Ctrl+O, and the world the program leaves when it ends.
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QStandardPaths>
#include <iostream>

#include "app/info_window.h"
#include "app/main_window.h"

namespace viv {

std::string LastWorldFile() {
  return (QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/last-world.vivw").toStdString();
}

bool TfrmVivarion::SaveWorldTo(const std::string& fileName) {
  try {
    doc_.Sim().SaveWorld(fileName);
    messages_.Outcome("World saved in " + fileName);
    state_.NeedsRedraw = true;
    return true;
  } catch (const std::exception& e) {
    messages_.Report(e);
    return false;
  }
}

bool TfrmVivarion::OpenWorld(const std::string& fileName) {
  try {
    doc_.Sim().LoadWorld(fileName);
  } catch (const std::exception& e) {
    messages_.Report(e);
    return false;
  }
  // Serials count again in the opened world: windows on creatures of the old one close.
  companions_.ReleaseInfoWindows();
  doc_.Begin(fileName);
  messages_.UnknownKeys(UnknownKeysNote(doc_.Sim().Rules()), true);
  state_.NeedsRedraw = true;
  // The world goes on under the settings file's values (reloaded as it is edited); say which
  // of them differ from those it was saved under.
  if (const std::string differences = SettingsDifferences(doc_.Sim().FileSettings(), doc_.Sim().Rules());
      !differences.empty())
    ShowNotice("Settings differ from the world file's: " + differences);
  Pace.Restart();
  if (gbSettings->isVisible()) {
    gbSettings->hide();
    QCoreApplication::postEvent(this, new QEvent(QEvent::User));  // starts the run loop
  }
  return true;
}

void TfrmVivarion::SaveWorldDialog() {
  if (!doc_.Started()) return;
  QString name = QFileDialog::getSaveFileName(this, "Save the world", QDir::currentPath() + "/world.vivw",
                                              "Vivarion worlds (*.vivw)");
  if (name.isEmpty()) return;
  if (!name.endsWith(".vivw")) name += ".vivw";
  SaveWorldTo(name.toStdString());
}

void TfrmVivarion::OpenWorldDialog() {
  const QString name = QFileDialog::getOpenFileName(this, "Open a world", QDir::currentPath(),
                                                    "Vivarion worlds (*.vivw);;All files (*)");
  if (!name.isEmpty()) OpenWorld(name.toStdString());
}

void TfrmVivarion::KeepLastWorld() {
  if (!doc_.Started()) return;
  const std::string file = LastWorldFile();
  try {
    QDir().mkpath(QString::fromStdString(file).section('/', 0, -2));
    // The timeline goes with it, or none that belonged to an earlier world stays.
    doc_.Keep(file);
  } catch (const std::exception& e) {
    // The program is ending: no box would stay up to be read.
    std::cerr << "vivarion: the world could not be kept: " << e.what() << '\n';
  }
}

}  // namespace viv
