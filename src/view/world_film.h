#pragma once
// Films and pictures of a world from a view of the user's choosing: the window's default
// view, or centred on a point, zoomed, or following a creature (by serial, or the largest
// animal). A film takes a frame at every step that is a multiple of its interval, counted from
// the world's start, so that the film of a world resumed from its file goes on with the frames
// the unbroken run would have taken.
#include <QImage>
#include <cstdint>
#include <optional>
#include <string>

#include "film/film_encoder.h"
#include "view/view_transform.h"
#include "world/world.h"

namespace viv {

struct TShotView {
  std::optional<std::pair<float, float>> Centre;  // the world point at the middle (default the origin)
  float Zoom = 0.2f;                              // pixels per world unit, as the window starts
  uint64_t FollowSerial = 0;                      // centre on this creature while it lives
  bool FollowLargest = false;                     // centre on the largest animal, the next when it dies
  bool Caption = true;                            // a line of the step and counts (false: the world alone)
};

// Keeps a view on what it follows, frame after frame.
class TViewKeeper {
 public:
  explicit TViewKeeper(const TShotView& shot) : shot_(shot) {}
  // The view of a width x height picture of the world now.
  TView ViewOf(const TWorld& world, int32_t width, int32_t height);

 private:
  TShotView shot_;
  uint64_t followed_ = 0;
  std::optional<std::pair<float, float>> last_;  // where the followed creature was last seen
};

class TWorldFilm {
 public:
  // Opens the film (see TFilmEncoder: a missing folder throws here, before any step).
  TWorldFilm(const std::string& fileName, int32_t width, int32_t height, int32_t fps, int64_t every,
             const TShotView& shot);
  // Called with the world at each step: a frame when the step is a multiple of the interval.
  // At the start, a frame only of a new world (step 0): a resumed one's was the last film's.
  void Shoot(const TWorld& world, int64_t step, bool start = false);
  void Finish() { encoder_.Finish(); }
  const TFilmEncoder& Encoder() const { return encoder_; }
  // "FILE: 1,000 frames of 1280x720 at 30 fps, H.264 (libx264) in MP4"
  std::string Summary() const;

 private:
  TFilmEncoder encoder_;
  int64_t every_;
  TViewKeeper view_;
  bool caption_;
  QImage image_;
};

}  // namespace viv
