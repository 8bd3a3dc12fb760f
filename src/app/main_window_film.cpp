// Films of the main window's view: R records what the view shows, L a time-lapse (the
// recorder makes them; here their keys, notices and errors).
#include "app/main_window.h"

namespace viv {

void TfrmVivarion::ToggleRecording(int64_t everySteps) {
  if (recorder_.Recording()) {
    StopRecording();
    return;
  }
  try {
    recorder_.Start(everySteps, width(), height());
    doc_.FilmStarted();
  } catch (const std::exception& e) {
    messages_.Report(e);
  }
  state_.NeedsRedraw = true;
}

void TfrmVivarion::StopRecording() {
  try {
    if (const std::string saved = recorder_.Finish(); !saved.empty()) ShowNotice(saved);
  } catch (const std::exception& e) {
    messages_.Report(e);
  }
  state_.NeedsRedraw = true;
}

}  // namespace viv
