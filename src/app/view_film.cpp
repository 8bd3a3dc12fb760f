#include "app/view_film.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>

namespace viv {

TViewFilm::TViewFilm(const std::string& fileName, int32_t width, int32_t height, int64_t everySteps, int64_t now)
    : encoder_(std::make_unique<TFilmEncoder>(fileName, width, height,
                                              everySteps > 0 ? TimeLapseFramesPerSecond : ViewFramesPerSecond)),
      every_(everySteps),
      start_(now) {}

void TViewFilm::Record(const QImage& picture) {
  encoder_->AddFrame(picture.constBits(), picture.width(), picture.height(),
                     static_cast<int32_t>(picture.bytesPerLine()));
}

void TViewFilm::RecordView(const QImage& picture, int64_t now) {
  // A stall longer than this (a dialog held open) is cut to it, so that the film goes on.
  constexpr int64_t LongestRepeat = 3 * ViewFramesPerSecond;
  const int64_t due = (now - start_) * ViewFramesPerSecond / 1000 + 1;
  int64_t repeats = due - encoder_->Frames();
  if (repeats > LongestRepeat) {
    start_ += (repeats - LongestRepeat) * 1000 / ViewFramesPerSecond;
    repeats = LongestRepeat;
  }
  for (int64_t k = 0; k < repeats; ++k) Record(picture);
}

void TViewFilm::DrawMark(QImage& picture) const {
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  const int x = picture.width() - 24;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(230, 30, 30));
  painter.drawEllipse(QPoint(x, 18), 7, 7);
  // Where the film goes, with the home folder as ~, and how far it has come.
  QString folder = QFileInfo(QString::fromStdString(encoder_->FileName())).absolutePath();
  if (folder.startsWith(QDir::homePath() + "/")) folder = "~" + folder.mid(QDir::homePath().size());
  const QString text = QString("%1 into %2: %3 frames (%4 stops)")
                           .arg(every_ > 0 ? QString("Time-lapse, a frame every %1 steps,").arg(every_) : "Recording")
                           .arg(folder)
                           .arg(encoder_->Frames())
                           .arg(every_ > 0 ? "L" : "R");
  painter.setPen(QColor(255, 255, 255));
  const QRect box(0, 10, x - 12, 18);
  painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
}

std::string TViewFilm::Finish() {
  encoder_->Finish();
  const int64_t frames = encoder_->Frames();
  const QFileInfo file(QString::fromStdString(encoder_->FileName()));
  return file.fileName().toStdString() + ", " + std::to_string(frames) + " frame" + (frames == 1 ? "" : "s");
}

}  // namespace viv
