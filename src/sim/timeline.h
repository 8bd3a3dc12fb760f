#pragma once
// The timeline of a running world: keyframes (the world file's body, packed) at a spacing,
// older ones thinned so that their memory stays within a budget, and any step since the first
// keyframe reached again by loading the keyframe before it and stepping on. Worlds are exact,
// so the step reached is the world that was there.
//
// Most keyframes are packed as their difference from an older whole one (their anchor): a
// thousand steps apart, two bodies share nearly all their histories. Where the world was
// changed by hand (rules, a creature moved or put in) replaying cannot pass: the timeline keeps
// a keyframe right after each such change (a seam), never thinned, and forgets the future it
// had after a change made in the past.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/simulation.h"

namespace viv {

struct TKeyframe {
  int64_t Anchor = 0;    // the step of the whole keyframe it is packed against; its own: whole
  uint64_t RawSize = 0;  // of the body unpacked
  std::string Packed;
};

class TTimeline {
 public:
  // A keyframe every spacing steps; older keyframes thinned while they take more than budget bytes.
  explicit TTimeline(int64_t spacing = 1000, uint64_t budget = DefaultBudget);
  static constexpr uint64_t DefaultBudget = uint64_t{200} << 20;
  // No timeline is given more: a file that asks for more is damaged.
  static constexpr uint64_t MaxBudget = uint64_t{4} << 30;

  // After each step (and at the start): keeps a keyframe when the world's step is a multiple of
  // the spacing, when there is none yet, and right after a change by hand; remembers how far
  // the world has gone.
  void Note(const TSimulation& sim);
  // Puts the world at step: the keyframe at or before it, then steps. A step before the first
  // keyframe, after the furthest step noted, or behind a change by hand that no keyframe follows
  // throws EVivarion, and the world stays as it was. reportedAt names the steps where the run
  // took a report: there the counts since the last report restart again as they did, so that
  // the reports after the step reached are those of the run that went straight on.
  void Rewind(TSimulation& sim, int64_t step, const std::function<bool(int64_t)>& reportedAt = {});
  // Whether Rewind can reach step.
  bool Reaches(int64_t step) const;

  // The timeline goes on with sim, which holds this timeline's world at its step as it was
  // (moved into another object, as when a window swaps the branch it shows): no change by hand.
  void Follow(const TSimulation& sim) { edits_ = sim.Edits(), noted_ = sim.StepCount(); }

  // The timeline of a branch: a world made from this timeline's world at a step within it,
  // going on apart (perhaps with other rules). It shares the keyframes before that step and
  // starts with a keyframe of the branch's own world.
  TTimeline Branch(const TSimulation& branch) const;

  // The steps of the keyframes kept, oldest first; the steps where the world was changed by hand.
  std::vector<int64_t> Keyframes() const;
  std::vector<int64_t> Seams() const { return {seams_.begin(), seams_.end()}; }
  // The bytes of the keyframes (a branch counts those it shares too).
  uint64_t Bytes() const { return bytes_; }
  int64_t Spacing() const { return spacing_; }
  uint64_t Budget() const { return budget_; }
  // The first step reachable and the furthest step the world reached while noted (-1: none).
  int64_t First() const { return frames_.empty() ? -1 : frames_.begin()->first; }
  int64_t Last() const { return last_; }

  // For the timeline's file: every keyframe as it is kept, and a timeline made of them (checked
  // by the file's reader).
  const std::map<int64_t, std::shared_ptr<const TKeyframe>>& Frames() const { return frames_; }
  // The world it goes on with is sim, at its step; source (the file) names the keyframes in
  // messages.
  void Restore(std::map<int64_t, std::shared_ptr<const TKeyframe>> frames, std::set<int64_t> seams, int64_t last,
               const TSimulation& sim, const std::string& source);
  // Whether the keyframe before sim's step, stepped on to it, is sim's world (a timeline read
  // from a file holds that world's past, not another's). True when that step is not reached.
  bool LeadsTo(const TSimulation& sim) const;

  // The body of the keyframe of step (which must be kept). Throws EVivarion when it does not unpack.
  std::string Body(int64_t step) const;

 private:
  using TFrames = std::map<int64_t, std::shared_ptr<const TKeyframe>>;
  // Keeps the world's body as the keyframe of its step.
  void Keep(const TSimulation& sim);
  // Forgets every keyframe and seam after step (a future that a change in the past undid).
  void ForgetAfter(int64_t step);
  // Drops the keyframe of step, packing those that were packed against it anew.
  void Drop(int64_t step);
  // The step of the keyframe at or before step (which must not lie before the first).
  int64_t KeyframeBefore(int64_t step) const;
  // Drops every other keyframe of the older half until the budget holds.
  void Thin();
  // "FILE: the keyframe of step S", for messages.
  std::string StepName(int64_t step) const;
  int64_t spacing_;
  uint64_t budget_;
  uint64_t bytes_ = 0;
  int64_t last_ = -1;
  int64_t noted_ = -1;  // the step of the last Note
  uint64_t edits_ = 0;  // the world's count of changes by hand at the last Note
  TFrames frames_;
  std::set<int64_t> seams_;  // steps whose world came from a change by hand, each with its keyframe
  std::string source_;       // the file it was read from, for messages
  // The newest whole keyframe, unpacked: new keyframes are packed against it.
  int64_t anchor_ = -1;
  std::string anchorBody_;
};

}  // namespace viv
