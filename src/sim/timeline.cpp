#include "sim/timeline.h"

#include <algorithm>

#include "config/errors.h"
#include "sim/keyframe_pack.h"

namespace viv {
namespace {

// Whole keyframes against which at most this many others are packed: dropping one packs its
// dependents anew, which stays quick.
constexpr int MaxDependents = 64;

}  // namespace

std::string TTimeline::StepName(int64_t step) const {
  return (source_.empty() ? "" : source_ + ": ") + "the keyframe of step " + std::to_string(step);
}

TTimeline::TTimeline(int64_t spacing, uint64_t budget) : spacing_(std::max<int64_t>(1, spacing)), budget_(budget) {}

void TTimeline::Note(const TSimulation& sim) {
  const int64_t step = sim.StepCount();
  const bool edited = noted_ >= 0 && sim.Edits() != edits_;
  edits_ = sim.Edits();
  const int64_t before = noted_;
  noted_ = step;
  if (edited) {
    // The world at this step is the hand's doing: what came after it before is another future.
    ForgetAfter(step - 1);
    // A seam noted just before (a creature held through the steps) needs no keyframe of its
    // own now: its step stays marked as one that cannot be replayed.
    if (before == step - 1 && seams_.count(before) && before % spacing_ != 0 && frames_.count(before) &&
        frames_.size() > 1)
      Drop(before);
    seams_.insert(step);
    last_ = step;
    Keep(sim);
    return;
  }
  // A world gone back that steps over a change by hand without making it again is another world.
  if (step <= last_ && seams_.count(step)) ForgetAfter(step - 1);
  // A world gone back passes its keyframes again: those it had, or had thinned away, are the same.
  const bool newGround = step > last_;
  last_ = std::max(last_, step);
  if (frames_.empty() || (newGround && step % spacing_ == 0)) Keep(sim);
}

void TTimeline::Keep(const TSimulation& sim) {
  const int64_t step = sim.StepCount();
  std::string body = sim.WorldBody();
  auto frame = std::make_shared<TKeyframe>();
  frame->RawSize = body.size();
  if (anchor_ >= 0 && frames_.count(anchor_)) {
    const int dependents = static_cast<int>(std::count_if(frames_.begin(), frames_.end(), [&](const auto& f) {
      return f.second->Anchor == anchor_ && f.first != anchor_;
    }));
    if (dependents < MaxDependents) {
      std::string packed = PackKeyframe(body, anchorBody_);
      // Once the difference has grown to a quarter of the whole, a new whole keyframe pays.
      if (packed.size() * 4 < frames_.at(anchor_)->Packed.size()) {
        frame->Anchor = anchor_;
        frame->Packed = std::move(packed);
      }
    }
  }
  if (frame->Packed.empty()) {
    frame->Anchor = step;
    frame->Packed = PackKeyframe(body);
    anchor_ = step;
    anchorBody_ = std::move(body);
  }
  bytes_ += frame->Packed.size();
  frames_[step] = std::move(frame);
  if (bytes_ > budget_) Thin();
}

void TTimeline::ForgetAfter(int64_t step) {
  for (auto it = frames_.upper_bound(step); it != frames_.end();) {
    bytes_ -= it->second->Packed.size();
    it = frames_.erase(it);
  }
  seams_.erase(seams_.upper_bound(step), seams_.end());
  if (anchor_ > step) anchor_ = -1, anchorBody_.clear();
  last_ = std::min(last_, step);
}

std::string TTimeline::Body(int64_t step) const {
  const TKeyframe& frame = *frames_.at(step);
  std::string body;
  WithFileName(StepName(step), [&] {
    if (frame.Anchor == step) {
      body = UnpackKeyframe(frame.Packed, frame.RawSize);
      return;
    }
    const auto anchor = frames_.find(frame.Anchor);
    if (anchor == frames_.end() || anchor->second->Anchor != anchor->first)
      throw EVivarion("a keyframe does not unpack: the keyframe it was packed against is missing");
    const std::string base = frame.Anchor == anchor_ && !anchorBody_.empty()
                                 ? anchorBody_
                                 : UnpackKeyframe(anchor->second->Packed, anchor->second->RawSize);
    body = UnpackKeyframe(frame.Packed, frame.RawSize, base);
  });
  return body;
}

void TTimeline::Drop(int64_t step) {
  const auto it = frames_.find(step);
  if (it == frames_.end()) return;
  std::vector<int64_t> dependents;
  for (const auto& [s, f] : frames_)
    if (s != step && f->Anchor == step) dependents.push_back(s);
  if (!dependents.empty()) {
    // The first that leaves with it becomes whole, and the others are packed against it.
    std::vector<std::string> bodies;
    for (int64_t s : dependents) bodies.push_back(Body(s));
    for (size_t k = 0; k < dependents.size(); ++k) {
      auto frame = std::make_shared<TKeyframe>();
      frame->RawSize = bodies[k].size();
      frame->Anchor = dependents[0];
      frame->Packed = k == 0 ? PackKeyframe(bodies[0]) : PackKeyframe(bodies[k], bodies[0]);
      bytes_ -= frames_[dependents[k]]->Packed.size();
      bytes_ += frame->Packed.size();
      frames_[dependents[k]] = std::move(frame);
    }
    if (anchor_ == step) anchor_ = dependents[0], anchorBody_ = std::move(bodies[0]);
  }
  if (anchor_ == step) anchor_ = -1, anchorBody_.clear();
  bytes_ -= it->second->Packed.size();
  frames_.erase(it);
}

void TTimeline::Thin() {
  // The newest keyframe always stays, and the oldest (where the timeline begins), and those
  // after a change by hand; the older half loses every other one, so that the recent past
  // stays dense and the far past grows sparse.
  while (bytes_ > budget_ && frames_.size() > 2) {
    std::vector<int64_t> drop;
    const size_t older = frames_.size() / 2;
    size_t k = 0;
    for (auto it = std::next(frames_.begin()); k + 1 < older && it != frames_.end(); ++it, ++k)
      if (k % 2 == 0 && !seams_.count(it->first)) drop.push_back(it->first);
    if (drop.empty()) {
      // Two or three keyframes over the budget: only the newest and those after seams remain.
      for (auto it = frames_.begin(); std::next(it) != frames_.end(); ++it)
        if (!seams_.count(it->first)) drop.push_back(it->first);
      if (drop.empty()) return;
      for (int64_t s : drop) Drop(s);
      return;
    }
    for (int64_t s : drop) Drop(s);
  }
}

int64_t TTimeline::KeyframeBefore(int64_t step) const { return std::prev(frames_.upper_bound(step))->first; }

bool TTimeline::Reaches(int64_t step) const {
  if (frames_.empty() || step < frames_.begin()->first || step > last_) return false;
  const auto seam = seams_.upper_bound(KeyframeBefore(step));
  return seam == seams_.end() || *seam > step;
}

void TTimeline::Rewind(TSimulation& sim, int64_t step, const std::function<bool(int64_t)>& reportedAt) {
  if (frames_.empty()) throw EVivarion("the timeline holds no keyframe yet");
  if (step < frames_.begin()->first)
    throw EVivarion("step " + std::to_string(step) + " is before the timeline's first keyframe (step " +
                    std::to_string(frames_.begin()->first) + ")");
  if (step > last_)
    throw EVivarion("step " + std::to_string(step) + " is after the furthest step the world has reached (" +
                    std::to_string(last_) + ")");
  if (!Reaches(step))
    throw EVivarion("step " + std::to_string(step) + " cannot be replayed: the world was changed by hand at step " +
                    std::to_string(*seams_.upper_bound(KeyframeBefore(step))) +
                    " and no keyframe was kept between that change and this step");
  const int64_t from = KeyframeBefore(step);
  const std::string body = Body(from);
  // The keyframe's rules are those that were in force there (events may have changed them).
  const std::string settingsFile = sim.Rules().FileName;
  sim.LoadWorldBody(body, StepName(from));
  TSettings rules = sim.FileSettings();
  rules.FileName = settingsFile;
  sim.SetRules(rules);
  // A restart is idempotent, so a keyframe kept before or after its step's report replays alike.
  auto restartReported = [&] {
    if (!reportedAt || !reportedAt(sim.StepCount())) return;
    sim.SpeciesReport(true);
    sim.EvolutionReport(true);
  };
  restartReported();
  while (sim.StepCount() < step) {
    sim.Step();
    restartReported();
  }
  edits_ = sim.Edits();
  noted_ = step;
}

TTimeline TTimeline::Branch(const TSimulation& branch) const {
  const int64_t step = branch.StepCount();
  if (frames_.empty() || step < frames_.begin()->first || step > last_)
    throw EVivarion("a branch cannot start at step " + std::to_string(step) + ": it is outside the timeline");
  TTimeline made(spacing_, budget_);
  for (auto it = frames_.begin(); it != frames_.end() && it->first < step; ++it) {
    made.frames_.insert(*it);
    made.bytes_ += it->second->Packed.size();
  }
  made.seams_.insert(seams_.begin(), seams_.lower_bound(step));
  // The branch's own world starts it: whatever was changed in it before it was made (its
  // rules) is its, and replaying past its start begins there.
  made.seams_.insert(step);
  made.last_ = step;
  made.noted_ = step;
  made.edits_ = branch.Edits();
  made.Keep(branch);
  return made;
}

void TTimeline::Restore(TFrames frames, std::set<int64_t> seams, int64_t last, const TSimulation& sim,
                        const std::string& source) {
  source_ = source;
  frames_ = std::move(frames);
  seams_ = std::move(seams);
  last_ = last;
  bytes_ = 0;
  for (const auto& [step, frame] : frames_) bytes_ += frame->Packed.size();
  anchor_ = -1;
  anchorBody_.clear();
  noted_ = sim.StepCount();
  edits_ = sim.Edits();
}

bool TTimeline::LeadsTo(const TSimulation& sim) const {
  const int64_t step = sim.StepCount();
  if (!Reaches(step)) return true;
  const int64_t from = KeyframeBefore(step);
  TSimulation probe;
  probe.CreatureLimit = sim.CreatureLimit;
  probe.SetPasses(sim.Population().Passes);
  probe.LoadWorldBody(Body(from), StepName(from));
  probe.SetRules(probe.FileSettings());
  while (probe.StepCount() < step) probe.Step();
  return probe.Hash() == sim.Hash();
}

std::vector<int64_t> TTimeline::Keyframes() const {
  std::vector<int64_t> steps;
  for (const auto& [step, frame] : frames_) steps.push_back(step);
  return steps;
}

}  // namespace viv
