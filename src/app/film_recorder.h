#pragma once
// Films of the main window's view, made with the keys: R records what the view shows in real
// time (ViewFramesPerSecond frames a second of the clock, each the picture drawn last), L a
// time-lapse (a frame every TimeLapseEvery steps). Failures throw; the film being made then goes.
#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/ticks.h"
#include "app/view_film.h"

namespace viv {

class TFilmRecorder {
 public:
  static constexpr int32_t ViewFramesPerSecond = TViewFilm::ViewFramesPerSecond;
  static constexpr int64_t TimeLapseEvery = 100;

  std::function<int64_t()> Clock = TickCount;  // milliseconds (tests set their own)
  std::string Folder;                          // where films go: the user's videos folder (tests set their own)

  // A new film of width x height (even sizes are taken) in Folder, in real time when everySteps
  // is 0, else a time-lapse.
  void Start(int64_t everySteps, int32_t width, int32_t height);
  // Puts the film in place; returns what the notice says of it. Nothing when none is made.
  std::string Finish();
  bool Recording() const { return film_ != nullptr; }
  // The film being recorded, or nullptr.
  const TFilmEncoder* Film() const { return film_ ? &film_->Encoder() : nullptr; }

  // After a frame was drawn into picture: its frame of a film of real time, then the mark that
  // says a film is made (which the film does not show).
  void AfterDraw(QImage& picture);
  // After a step of a time-lapse: when a frame is due, draw draws the view into the image given.
  void AfterStep(int64_t step, const QSize& size, const std::function<void(QImage&)>& draw);

 private:
  void RecordOrStop(const std::function<void(TViewFilm&)>& record);
  std::unique_ptr<TViewFilm> film_;
  QImage image_;  // a time-lapse frame, drawn apart from the window's
};

}  // namespace viv
