// Films of the main window's view: R records what the view shows, L a time-lapse (the film
// itself is a TViewFilm; here its keys, notices and errors).
#include <QDateTime>
#include <QDir>
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
    // The window's picture at its size now (even, as the encoder wants).
    const int32_t width = std::max(16, this->width() & ~1), height = std::max(16, this->height() & ~1);
    film_ = std::make_unique<TViewFilm>(name, width, height, everySteps, FilmClock());
    doc_.FilmStarted();
  } catch (const std::exception& e) {
    film_.reset();
    ReportError(e);
  }
  NeedsRedraw = true;
}

void TfrmVivarion::StopRecording() {
  if (!film_) return;
  try {
    ShowNotice("Film saved: " + film_->Finish());
  } catch (const std::exception& e) {
    ReportError(e);
  }
  film_.reset();
  NeedsRedraw = true;
}

void TfrmVivarion::RecordOrStop(const std::function<void(TViewFilm&)>& record) {
  try {
    record(*film_);
  } catch (const std::exception& e) {
    film_.reset();  // the unfinished film goes with it
    ReportError(e);
  }
}

// After each frame drawn: the view, as often as the clock says, in a film of real time.
void TfrmVivarion::RecordViewFrame() {
  if (!film_ || film_->Every() > 0) return;
  RecordOrStop([this](TViewFilm& film) { film.RecordView(StageBitmap, FilmClock()); });
}

// After each step of a time-lapse: a frame of the view when one is due.
void TfrmVivarion::RecordTimeLapse() {
  if (!film_ || !film_->WantsStep(doc_.Sim().StepCount())) return;
  if (filmImage_.size() != StageBitmap.size()) filmImage_ = QImage(StageBitmap.size(), QImage::Format_RGB32);
  viv::DrawFrame(doc_.Population(), View(), FrameStatus(), filmImage_);
  RecordOrStop([this](TViewFilm& film) { film.Record(filmImage_); });
}

void TfrmVivarion::DrawRecordingMark() {
  if (film_) film_->DrawMark(StageBitmap);
}

}  // namespace viv
