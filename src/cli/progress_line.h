#pragma once
// The line that tells a person at a terminal how far a long run has come: step, percent,
// steps per second and time left, redrawn in place on standard error and cleared at the end.
#include <chrono>
#include <cstdint>
#include <deque>
#include <ostream>
#include <utility>

namespace viv {

class TProgressLine {
 public:
  // Shows nothing unless enabled (standard error is a terminal); from first to last step.
  TProgressLine(std::ostream& err, bool enabled, int64_t first, int64_t last);
  ~TProgressLine() { Clear(); }
  // After each step: redraws at most four times a second, once the run has lasted a second.
  void Update(int64_t step);
  // The steps per second over about the last ten seconds, from the samples kept at each
  // redraw (a world's speed changes as it grows; the whole run's mean misjudged the time left
  // by a factor of three). Public for tests: Sample(time, step) feeds it directly.
  void Sample(std::chrono::steady_clock::time_point when, int64_t step);
  double RecentRate() const;
  // Wipes the line (before other output, and at the end).
  void Clear();

 private:
  std::ostream& err_;
  bool enabled_;
  int64_t first_, last_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_, drawn_;
  std::deque<std::pair<std::chrono::steady_clock::time_point, int64_t>> samples_;
};

}  // namespace viv
