#pragma once
// The timeline of a running world: keyframes (the world file's bytes, compressed) at a spacing,
// older ones thinned so that their memory stays within a budget, and any step since the first
// keyframe reached again by loading the keyframe before it and stepping on. Worlds are exact,
// so the step reached is the world that was there.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/simulation.h"

namespace viv {

class TTimeline {
 public:
  // A keyframe every spacing steps; older keyframes thinned while they take more than budget bytes.
  explicit TTimeline(int64_t spacing = 1000, uint64_t budget = uint64_t{200} << 20);

  // After a step (and at the start): keeps a keyframe when the world's step is a multiple of
  // the spacing, and remembers how far the world has gone.
  void Note(const TSimulation& sim);
  // Puts the world at step: the keyframe at or before it, then steps. A step before the first
  // keyframe or after the furthest step noted throws EVivarion, and the world stays as it was.
  void Rewind(TSimulation& sim, int64_t step) const;

  // The steps of the keyframes kept, oldest first, and their bytes together.
  std::vector<int64_t> Keyframes() const;
  uint64_t Bytes() const { return bytes_; }
  int64_t Spacing() const { return spacing_; }
  // The furthest step the world reached while noted.
  int64_t Last() const { return last_; }

 private:
  // Drops every other keyframe of the older half until the budget holds.
  void Thin();
  int64_t spacing_;
  uint64_t budget_;
  uint64_t bytes_ = 0;
  int64_t last_ = -1;
  std::map<int64_t, std::string> frames_;
};

}  // namespace viv
