// Films of the main window's view: R records what the view shows, L a time-lapse.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QStandardPaths>

#include "app/main_window.h"
#include "view/frame.h"

namespace viv {

void TfrmVivarion::ToggleRecording(int64_t everySteps) {
  if (film_) {
    StopRecording();
    return;
  }
  std::string folder = FilmFolder;
  if (folder.empty()) {
    QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (videos.isEmpty()) videos = QDir::homePath();
    folder = videos.toStdString();
  }
  QDir().mkpath(QString::fromStdString(folder));
  const std::string kind = everySteps > 0 ? "time-lapse " : "";
  const std::string name = folder + "/Vivarion " + kind +
                           QDateTime::currentDateTime().toString("yyyy-MM-dd HH-mm-ss").toStdString() + ".mp4";
  try {
    // The window's picture at its size now (even, as the encoder wants); later frames of another
    // size are scaled to it.
    const int32_t width = std::max(16, this->width() & ~1), height = std::max(16, this->height() & ~1);
    film_ = std::make_unique<TFilmEncoder>(name, width, height,
                                           everySteps > 0 ? TimeLapseFramesPerSecond : ViewFramesPerSecond);
    filmEvery_ = everySteps;
    filmStart_ = FilmClock();
  } catch (const std::exception& e) {
    film_.reset();
    ReportError(e);
  }
  NeedsRedraw = true;
}

void TfrmVivarion::StopRecording() {
  if (!film_) return;
  try {
    film_->Finish();
    const int64_t frames = film_->Frames();
    const QFileInfo file(QString::fromStdString(film_->FileName()));
    ShowNotice("Film saved: " + file.fileName().toStdString() + ", " + std::to_string(frames) + " frame" +
               (frames == 1 ? "" : "s"));
  } catch (const std::exception& e) {
    ReportError(e);
  }
  film_.reset();
  NeedsRedraw = true;
}

void TfrmVivarion::RecordFrame(const QImage& image) {
  try {
    film_->AddFrame(image.constBits(), image.width(), image.height(), static_cast<int32_t>(image.bytesPerLine()));
  } catch (const std::exception& e) {
    film_.reset();  // the unfinished film goes with it
    ReportError(e);
  }
}

void TfrmVivarion::RecordViewFrame() {
  // A stall longer than this (a dialog held open) is cut to it, so that the film goes on.
  constexpr int64_t LongestRepeat = 3 * ViewFramesPerSecond;
  const int64_t due = (FilmClock() - filmStart_) * ViewFramesPerSecond / 1000 + 1;
  int64_t repeats = due - film_->Frames();
  if (repeats > LongestRepeat) {
    filmStart_ += (repeats - LongestRepeat) * 1000 / ViewFramesPerSecond;
    repeats = LongestRepeat;
  }
  for (int64_t k = 0; k < repeats && film_; ++k) RecordFrame(StageBitmap);
}

// After each step of a time-lapse: a frame of the view when one is due.
void TfrmVivarion::RecordTimeLapse() {
  if (!film_ || filmEvery_ == 0 || Sim.StepCount() % filmEvery_ != 0) return;
  if (filmImage_.size() != StageBitmap.size()) filmImage_ = QImage(StageBitmap.size(), QImage::Format_RGB32);
  viv::DrawFrame(Population, View(), FrameStatus(), filmImage_);
  RecordFrame(filmImage_);
}

// The mark that says a film is being made, drawn on the window's picture after the film's
// frame was taken from it, so that films do not show it.
void TfrmVivarion::DrawRecordingMark() {
  if (!film_) return;
  QPainter painter(&StageBitmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const int x = StageBitmap.width() - 24;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(230, 30, 30));
  painter.drawEllipse(QPoint(x, 18), 7, 7);
  // Where the film goes, with the home folder as ~, and how far it has come.
  QString folder = QFileInfo(QString::fromStdString(film_->FileName())).absolutePath();
  if (folder.startsWith(QDir::homePath() + "/")) folder = "~" + folder.mid(QDir::homePath().size());
  const QString text =
      QString("%1 into %2: %3 frames (%4 stops)")
          .arg(filmEvery_ > 0 ? QString("Time-lapse, a frame every %1 steps,").arg(filmEvery_) : "Recording")
          .arg(folder)
          .arg(film_->Frames())
          .arg(filmEvery_ > 0 ? "L" : "R");
  painter.setPen(QColor(255, 255, 255));
  const QRect box(0, 10, x - 12, 18);
  painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
}

}  // namespace viv
