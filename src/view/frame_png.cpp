#include "view/frame_png.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QBuffer>

#include <cstdlib>

#include "config/errors.h"
#include "config/files.h"
#include "view/frame.h"

namespace viv {

void EnsureRuntimeDir() {
  if (std::getenv("XDG_RUNTIME_DIR")) return;
  const std::string dir = "/tmp/runtime-" + std::to_string(getuid());
  mkdir(dir.c_str(), 0700);
  struct stat st {};
  if (stat(dir.c_str(), &st) == 0 && st.st_uid == getuid() && (st.st_mode & 077) == 0)
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  EnsureRuntimeDir();
  // A program without windows draws offscreen, whatever display the session has.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // One application for every picture of the process: pictures of the world need a GUI
  // application, charts a widgets one, and Qt allows a single application object.
  static int argc = 1;
  static char name[] = "vivarion";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
}

void WriteFramePng(const TWorld& world, int32_t width, int32_t height, int64_t stepCount, const std::string& fileName,
                   bool caption) {
  TView view;
  view.WindowWidth = width;
  view.WindowHeight = height;
  WriteFramePng(world, view, stepCount, fileName, caption);
}

std::string FramePngBytes(const TWorld& world, const TView& view, int64_t stepCount, bool caption) {
  EnsureGuiApplication();
  QImage image(view.WindowWidth, view.WindowHeight, QImage::Format_RGB32);
  TFrameStatus status;
  status.StepCount = stepCount;
  status.Caption = caption;
  status.Bare = !caption;
  DrawFrame(world, view, status, image);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw EVivarion("cannot encode the picture of the world as PNG");
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void WriteFramePng(const TWorld& world, const TView& view, int64_t stepCount, const std::string& fileName,
                   bool caption) {
  std::string png;
  try {
    png = FramePngBytes(world, view, stepCount, caption);
  } catch (const EVivarion&) {
    throw EVivarion(fileName + ": cannot encode the picture");
  }
  WriteFileAtomically(fileName, png, false);
}

}  // namespace viv
