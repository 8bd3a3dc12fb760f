#include "cli/run_film.h"

#include "config/errors.h"
#ifdef VIVARION_WITH_VIEW
#include "view/frame_png.h"
#include "view/world_film.h"
#endif

namespace viv {

#ifdef VIVARION_WITH_VIEW
namespace {

TShotView ShotViewOf(const TRunnerOptions& o) {
  TShotView shot;
  shot.Centre = o.Centre;
  shot.Zoom = o.Zoom;
  shot.FollowSerial = o.FollowSerial;
  shot.FollowLargest = o.FollowLargest;
  shot.Caption = !o.NoCaption;
  return shot;
}

}  // namespace

struct TRunFilm::TParts {
  TWorldFilm Film;
};

TRunFilm::TRunFilm(const TRunnerOptions& o, const std::string& fileName) {
  if (fileName.empty()) return;
  const auto [width, height] = o.FilmSize.value_or(std::make_pair(o.Width, o.Height));
  parts_.reset(new TParts{TWorldFilm(fileName, width, height, o.FilmFps, o.FilmEvery, ShotViewOf(o))});
}

void TRunFilm::Shoot(const TWorld& world, int64_t step, bool start) {
  if (parts_) parts_->Film.Shoot(world, step, start);
}

std::string TRunFilm::Finish() {
  if (!parts_) return {};
  parts_->Film.Finish();
  return parts_->Film.Summary();
}

void WriteRunPng(const TRunnerOptions& o, const TWorld& world, int64_t step, const std::string& fileName) {
  TViewKeeper view(ShotViewOf(o));
  WriteFramePng(world, view.ViewOf(world, o.Width, o.Height), step, fileName, !o.NoCaption);
}

#else

struct TRunFilm::TParts {};

TRunFilm::TRunFilm(const TRunnerOptions&, const std::string& fileName) {
  if (!fileName.empty()) throw EVivarion("this runner was built without pictures; --film is not available");
}
void TRunFilm::Shoot(const TWorld&, int64_t, bool) {}
std::string TRunFilm::Finish() { return {}; }

void WriteRunPng(const TRunnerOptions&, const TWorld&, int64_t, const std::string&) {
  throw EVivarion("this runner was built without pictures; --png is not available");
}

#endif

TRunFilm::~TRunFilm() = default;

}  // namespace viv
