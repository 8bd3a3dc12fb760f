#pragma once
// The line that tells a person at a terminal how far a long run has come: step, percent,
// steps per second and time left, redrawn in place on standard error and cleared at the end.
#include <chrono>
#include <cstdint>
#include <ostream>

namespace viv {

class TProgressLine {
 public:
  // Shows nothing unless enabled (standard error is a terminal); from first to last step.
  TProgressLine(std::ostream& err, bool enabled, int64_t first, int64_t last);
  ~TProgressLine() { Clear(); }
  // After each step: redraws at most four times a second, once the run has lasted a second.
  void Update(int64_t step);
  // Wipes the line (before other output, and at the end).
  void Clear();

 private:
  std::ostream& err_;
  bool enabled_;
  int64_t first_, last_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_, drawn_;
};

}  // namespace viv
