#include "app/film_recorder.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <algorithm>

namespace viv {

void TFilmRecorder::Start(int64_t everySteps, int32_t width, int32_t height) {
  std::string folder = Folder;
  if (folder.empty()) {
    QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (videos.isEmpty()) videos = QDir::homePath();
    folder = videos.toStdString();
  }
  QDir().mkpath(QString::fromStdString(folder));
  const std::string kind = everySteps > 0 ? "time-lapse " : "";
  const std::string name = folder + "/Vivarion " + kind +
                           QDateTime::currentDateTime().toString("yyyy-MM-dd HH-mm-ss").toStdString() + ".mp4";
  // The window's picture at its size now (even, as the encoder wants).
  film_ = std::make_unique<TViewFilm>(name, std::max(16, width & ~1), std::max(16, height & ~1), everySteps, Clock());
}

std::string TFilmRecorder::Finish() {
  if (!film_) return {};
  std::unique_ptr<TViewFilm> film = std::move(film_);
  return "Film saved: " + film->Finish();
}

void TFilmRecorder::RecordOrStop(const std::function<void(TViewFilm&)>& record) {
  try {
    record(*film_);
  } catch (...) {
    film_.reset();  // the unfinished film goes with it
    throw;
  }
}

void TFilmRecorder::AfterDraw(QImage& picture) {
  if (!film_) return;
  if (film_->Every() == 0) RecordOrStop([&](TViewFilm& film) { film.RecordView(picture, Clock()); });
  if (film_) film_->DrawMark(picture);
}

void TFilmRecorder::AfterStep(int64_t step, const QSize& size, const std::function<void(QImage&)>& draw) {
  if (!film_ || !film_->WantsStep(step)) return;
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  draw(image_);
  RecordOrStop([this](TViewFilm& film) { film.Record(image_); });
}

}  // namespace viv
