#include "sim/timeline.h"

#include <algorithm>

#include "config/errors.h"

namespace viv {

TTimeline::TTimeline(int64_t spacing, uint64_t budget) : spacing_(std::max<int64_t>(1, spacing)), budget_(budget) {}

void TTimeline::Note(const TSimulation& sim) {
  const int64_t step = sim.StepCount();
  last_ = std::max(last_, step);
  // A world gone back and stepped again passes its keyframes again: they are the same world.
  if (step % spacing_ != 0 || frames_.count(step)) return;
  std::string& frame = frames_[step] = sim.WorldBytes();
  bytes_ += frame.size();
  if (bytes_ > budget_) Thin();
}

void TTimeline::Thin() {
  // The newest keyframe always stays; the older half loses every other one, so that the recent
  // past stays dense and the far past grows sparse.
  while (bytes_ > budget_ && frames_.size() > 2) {
    const size_t older = frames_.size() / 2;
    auto it = frames_.begin();
    ++it;  // the oldest stays: it is where the timeline begins
    for (size_t k = 1; k < older && it != frames_.end(); ++k) {
      if (k % 2 == 1) {
        bytes_ -= it->second.size();
        it = frames_.erase(it);
      } else {
        ++it;
      }
    }
    if (older < 2) {
      // Two or three keyframes over the budget: only the newest remains.
      while (frames_.size() > 1) {
        bytes_ -= frames_.begin()->second.size();
        frames_.erase(frames_.begin());
      }
    }
  }
}

void TTimeline::Rewind(TSimulation& sim, int64_t step) const {
  if (frames_.empty()) throw EVivarion("the timeline holds no keyframe yet");
  if (step < frames_.begin()->first)
    throw EVivarion("step " + std::to_string(step) + " is before the timeline's first keyframe (step " +
                    std::to_string(frames_.begin()->first) + ")");
  if (step > last_)
    throw EVivarion("step " + std::to_string(step) + " is after the furthest step the world has reached (" +
                    std::to_string(last_) + ")");
  auto it = frames_.upper_bound(step);
  --it;
  // The keyframe's rules are those that were in force there (events may have changed them).
  const std::string settingsFile = sim.Rules().FileName;
  sim.LoadWorldBytes(it->second, "the keyframe of step " + std::to_string(it->first));
  TSettings rules = sim.FileSettings();
  rules.FileName = settingsFile;
  sim.SetRules(rules);
  while (sim.StepCount() < step) sim.Step();
}

std::vector<int64_t> TTimeline::Keyframes() const {
  std::vector<int64_t> steps;
  for (const auto& [step, frame] : frames_) steps.push_back(step);
  return steps;
}

}  // namespace viv
