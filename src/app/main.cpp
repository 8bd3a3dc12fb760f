// vivarion: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <iostream>
#include <string_view>

#include "app/main_window.h"
#include "config/data_files.h"
#include "config/number_text.h"
#include "config/random.h"
#include "config/settings.h"
#include "view/frame_png.h"

namespace {

// Shown on standard error and, where there is a screen to show it on, in a message box.
void Fail(const QString& text) {
  std::cerr << "vivarion: " << text.toStdString() << '\n';
  if (qEnvironmentVariable("QT_QPA_PLATFORM") != "offscreen") QMessageBox::critical(nullptr, "Vivarion", text);
}

const char* const Help =
    "usage: vivarion [SECONDS]\n\n"
    "The desktop program: pick animal files on the start panel, press Go, and watch the world.\n"
    "  SECONDS      end the program at the first frame after this many seconds (default: never)\n"
    "  -h, --help   show this help\n"
    "  --version    show the version\n"
    "Files: the settings file VIVARION.ini (beside the program, else\n"
    "$XDG_CONFIG_HOME/vivarion/VIVARION.ini, made from the installed default at the first\n"
    "start), re-read every 2.5 seconds; the animal files animals/*.viv of the current folder\n"
    "(else the installed samples); S saves the living species into animals/; the world is\n"
    "kept at the end in ~/.local/share/Vivarion/last-world.vivw.\n"
    "Keys: arrows scroll, A/Q zoom, X/Z rotate, space pauses, Esc maximises, S saves the\n"
    "species, Ctrl+S/Ctrl+O save and open the world, O opens the observatory; a press picks\n"
    "up and drags a creature, a double click opens an information window on it.\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before any window system is touched, so that they work on a bare terminal.
  if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << Help;
    return 0;
  }
  if (argc > 1 && std::string_view(argv[1]) == "--version") {
    std::cout << "vivarion " VIVARION_VERSION "\n";
    return 0;
  }
  // An option the program does not know ("--sed" for "--seed" of the runner) is named as one,
  // not taken for a run-time limit that is no number.
  if (argc > 1 && std::string_view(argv[1]).size() > 1 && argv[1][0] == '-' &&
      !(argv[1][1] >= '0' && argv[1][1] <= '9')) {
    std::cerr << "vivarion: unknown option " << argv[1] << "\nsee 'vivarion --help'\n";
    return 2;
  }
  viv::EnsureRuntimeDir();
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName("Vivarion");  // names the folder of the last world
  viv::TSettings rules;
  try {
    rules.Open(viv::FindSettingsFile());
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
  viv::TfrmVivarion window(runLimit, rules);
  window.show();
  return app.exec();
}
