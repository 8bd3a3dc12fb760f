// Time travel from the window's keys: the document goes back, the window pauses and steps.
#include <algorithm>

#include "app/main_window.h"

namespace viv {

void TfrmVivarion::TravelBy(int64_t steps) {
  const TTimeline* timeline = doc_.Timeline();
  if (!timeline || !doc_.Started()) return;
  if (steps < 0) {
    if (steps == -1) state_.Paused = true;
    if (const std::string failed = doc_.GoToStep(std::max(doc_.Sim().StepCount() + steps, timeline->First()));
        !failed.empty())
      ShowNotice(failed);
    return;
  }
  // Forward is the world's own course from here: the same world the timeline saw, if nothing
  // was changed by hand on the way.
  if (steps == 1) state_.Paused = true;
  try {
    for (int64_t k = 0; k < steps; ++k) {
      StepWorld();
      doc_.SampleGraphs();
    }
  } catch (const std::exception& e) {
    messages_.Report(e);
  }
  state_.NeedsRedraw = true;
}

}  // namespace viv
