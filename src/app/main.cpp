// vivarion: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <iostream>

#include "app/main_window.h"
#include "config/number_text.h"
#include "config/random.h"
#include "config/settings.h"
#include "view/frame_png.h"
#include "world/grid.h"

namespace {

// Shown on standard error and, where there is a screen to show it on, in a message box.
void Fail(const QString& text) {
  std::cerr << "vivarion: " << text.toStdString() << '\n';
  if (qEnvironmentVariable("QT_QPA_PLATFORM") != "offscreen") QMessageBox::critical(nullptr, "Vivarion", text);
}

}  // namespace

int main(int argc, char** argv) {
  viv::EnsureRuntimeDir();
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName("Vivarion");  // names the folder of the last world
  try {
    viv::TSimulation::StartUp(QCoreApplication::applicationDirPath().toStdString() + "/VIVARION.ini", std::nullopt,
                              0);
  } catch (const std::exception& e) {
    Fail(QString::fromStdString(e.what()));
    return 1;
  }

  int32_t runLimit = 0;
  const QStringList args = QCoreApplication::arguments();
  if (args.size() > 1 && !args[1].isEmpty()) {
    try {
      runLimit = viv::StrToInt(args[1].toStdString());
    } catch (const std::exception& e) {
      Fail("The run-time limit must be a whole number of seconds: " + QString::fromStdString(e.what()));
      return 2;
    }
  }
  viv::TfrmVivarion window(runLimit);
  window.show();
  return app.exec();
}
