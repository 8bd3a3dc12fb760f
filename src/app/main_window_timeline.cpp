// Time travel from the window's keys and the Timeline tab: the document goes back and branches,
// the window pauses, steps and asks.
#include <algorithm>

#include "app/branch_dialog.h"
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
    ReportError(e);
  }
  state_.NeedsRedraw = true;
}

void TfrmVivarion::BranchHereDialog() {
  if (!doc_.Timeline() || !doc_.Started()) return;
  TBranchDialog dialog(this, doc_.Sim().Rules(), doc_.Sim().StepCount());
  if (dialog.exec() != QDialog::Accepted) return;
  try {
    doc_.BranchHere(dialog.Overrides());
  } catch (const std::exception& e) {
    ReportError(e);
  }
}

void TfrmVivarion::SwitchBranch() {
  try {
    doc_.SwitchBranch();
  } catch (const std::exception& e) {
    ReportError(e);
  }
  state_.NeedsRedraw = true;
}

}  // namespace viv
