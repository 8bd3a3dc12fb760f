#pragma once
// The pace of the world in the window: how many steps run before the picture is drawn again.
// As fast as it goes, the world steps until a frame is due (FrameMs after the last was drawn),
// each step followed by the pause that the nice setting asks for; under a speed limit, steps
// come at their due times, at most a frame's worth before the picture is drawn, and between
// them the loop waits a frame at a time, so that input is never kept waiting.
#include <chrono>
#include <cstdint>
#include <functional>

namespace viv {

// The smoothed steps a second after one more step that took stepTime.
double NextStepsPerSecond(double smoothed, std::chrono::nanoseconds stepTime);

class TRunPace {
 public:
  static constexpr int64_t FrameMs = 90;
  // The speed control: steps a second at each rung of the ladder; 0 (the first, the default)
  // runs as fast as possible.
  static constexpr int Ladder[] = {0, 3000, 1000, 300, 100, 30, 10, 3, 1};
  int SpeedLimit() const { return Ladder[rung_]; }
  void Slower();
  void Faster();

  // The rate shown in the overlay.
  double StepsPerSecond() const { return stepsPerSecond_; }
  // The clock starts again (a world started or opened), so the first pause is not inflated by
  // the time before it.
  void Restart() { lastStepTime_ = std::chrono::steady_clock::now(); }

  // The steps of one frame: step() as often as the pace says, given when the last frame was
  // drawn (in TickCount's milliseconds) and the nice setting (0 to 99, the share of time the
  // world leaves to the rest of the machine).
  void RunSteps(int64_t lastRedrawTick, int nice, const std::function<void()>& step);

 private:
  void Pause(int nice);
  int rung_ = 0;
  double stepsPerSecond_ = 0;
  // When the last step's pause ended: pauses are paced in whole milliseconds from it, the rate
  // is measured at the clock's full resolution.
  std::chrono::steady_clock::time_point lastStepTime_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point nextStepDue_;  // under a speed limit
};

}  // namespace viv
