#include "view/world_film.h"

#include "view/frame.h"
#include "view/frame_png.h"

namespace viv {

namespace {

const TCreature* LargestAnimal(const TWorld& world) {
  const TCreature* largest = nullptr;
  for (const TCreature* c : world.List)
    if (!c->Vegetable && (!largest || c->Radius > largest->Radius)) largest = c;
  return largest;
}

}  // namespace

TView TViewKeeper::ViewOf(const TWorld& world, int32_t width, int32_t height) {
  TView view;
  view.WindowWidth = width;
  view.WindowHeight = height;
  view.Zoom = shot_.Zoom;
  std::optional<std::pair<float, float>> centre = shot_.Centre;
  if (shot_.FollowSerial != 0 || shot_.FollowLargest) {
    const TCreature* followed = world.FindSerial(shot_.FollowSerial != 0 ? shot_.FollowSerial : followed_);
    if (followed == nullptr && shot_.FollowLargest) followed = LargestAnimal(world);
    if (followed != nullptr) {
      followed_ = followed->Serial;
      last_ = std::make_pair(followed->X, followed->Y);
    }
    if (last_) centre = last_;
  }
  if (centre) view.ScrollX = -centre->first, view.ScrollY = -centre->second;
  return view;
}

TWorldFilm::TWorldFilm(const std::string& fileName, int32_t width, int32_t height, int32_t fps, int64_t every,
                       const TShotView& shot)
    : encoder_(fileName, width, height, fps), every_(every), view_(shot), caption_(shot.Caption) {
  EnsureGuiApplication();
  image_ = QImage(width, height, QImage::Format_RGB32);
}

void TWorldFilm::Shoot(const TWorld& world, int64_t step, bool start) {
  if (step % every_ != 0 || (start && step != 0)) return;
  TFrameStatus status;
  status.StepCount = step;
  status.Caption = caption_;
  status.Bare = !caption_;
  DrawFrame(world, view_.ViewOf(world, image_.width(), image_.height()), status, image_);
  encoder_.AddFrame(image_.constBits(), image_.width(), image_.height(), static_cast<int32_t>(image_.bytesPerLine()));
}

std::string TWorldFilm::Summary() const {
  const TFilmEncoder& e = encoder_;
  return e.FileName() + ": " + Grouped(e.Frames()) + " frame" + (e.Frames() == 1 ? "" : "s") + " of " +
         std::to_string(e.Width()) + "x" + std::to_string(e.Height()) + " at " + std::to_string(e.Fps()) + " fps, " +
         e.Description();
}

}  // namespace viv
