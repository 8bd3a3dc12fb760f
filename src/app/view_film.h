#pragma once
// A film of the window's view: in real time (a frame every 1/FramesPerSecond of the clock, each
// the picture drawn last, repeated while the window draws slower, left out while it draws
// faster) or as a time-lapse (a frame every so many steps). The window says when it drew and
// when the world stepped; this decides which frames go into the file.
#include <QImage>
#include <cstdint>
#include <memory>
#include <string>

#include "film/film_encoder.h"

namespace viv {

class TViewFilm {
 public:
  static constexpr int32_t ViewFramesPerSecond = 11;  // a frame every 90 ms
  static constexpr int32_t TimeLapseFramesPerSecond = 30;

  // A new film at fileName of width x height (frames of another size are scaled to it): in real
  // time from the clock's now (milliseconds) when everySteps is 0, else a time-lapse. Throws
  // when the file cannot be made.
  TViewFilm(const std::string& fileName, int32_t width, int32_t height, int64_t everySteps, int64_t now);

  // The picture just drawn, as many times as the clock says frames are due since the last.
  void RecordView(const QImage& picture, int64_t now);
  // Whether a time-lapse wants a frame after this step.
  bool WantsStep(int64_t step) const { return every_ > 0 && step % every_ == 0; }
  void Record(const QImage& picture);
  // The mark that says a film is being made, on the window's picture (after the film's frame
  // was taken from it, so that films do not show it).
  void DrawMark(QImage& picture) const;
  // Closes the file; returns what the notice says of it ("NAME, N frames").
  std::string Finish();

  int64_t Every() const { return every_; }
  const TFilmEncoder& Encoder() const { return *encoder_; }

 private:
  std::unique_ptr<TFilmEncoder> encoder_;
  int64_t every_ = 0;
  int64_t start_ = 0;  // the clock when the film began (moved on over long stalls)
};

}  // namespace viv
