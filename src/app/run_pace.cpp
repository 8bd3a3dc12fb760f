#include "app/run_pace.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <thread>

#include "app/ticks.h"

namespace viv {

double NextStepsPerSecond(double smoothed, std::chrono::nanoseconds stepTime) {
  const double seconds = std::chrono::duration<double>(stepTime).count();
  const double rate = seconds > 0 ? 1 / seconds : 1e9;
  return 0.95 * smoothed + 0.05 * rate;
}

void TRunPace::Slower() { rung_ = std::min<int>(rung_ + 1, static_cast<int>(std::size(Ladder)) - 1); }

void TRunPace::Faster() { rung_ = std::max(rung_ - 1, 0); }

void TRunPace::Pause(int nice) {
  const auto now = std::chrono::steady_clock::now();
  const int64_t elapsed = TickCountAt(now) - TickCountAt(lastStepTime_);
  nice = std::clamp(nice, 0, 99);
  const int64_t pause = static_cast<int64_t>(std::nearbyint(elapsed / (1 - nice / 100.0))) - elapsed;
  std::this_thread::sleep_for(std::chrono::milliseconds(std::max<int64_t>(pause, 0)));
  // The rate comes from the step's time at the clock's full resolution: whole milliseconds
  // would cap it at 2,000 steps per second.
  stepsPerSecond_ = NextStepsPerSecond(stepsPerSecond_, now - lastStepTime_);
  lastStepTime_ = std::chrono::steady_clock::now();
}

void TRunPace::RunSteps(int64_t lastRedrawTick, int nice, const std::function<void()>& step) {
  if (SpeedLimit() == 0) {
    do {
      step();
      Pause(nice);
    } while (!(TickCount() > lastRedrawTick + FrameMs));
    return;
  }
  const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(1.0 / SpeedLimit()));
  auto now = std::chrono::steady_clock::now();
  if (now - nextStepDue_ > std::chrono::seconds(1)) nextStepDue_ = now;  // after a pause or a change
  int steps = 0;
  while (nextStepDue_ <= now && TickCount() <= lastRedrawTick + FrameMs) {
    step();
    ++steps;
    nextStepDue_ += period;
    now = std::chrono::steady_clock::now();
  }
  // The rate of whole frames: steps come in bursts between waits, and the rate of single steps
  // would read as if there were no limit.
  const double seconds = std::chrono::duration<double>(now - lastStepTime_).count();
  if (seconds > 0) stepsPerSecond_ = 0.8 * stepsPerSecond_ + 0.2 * steps / seconds;
  lastStepTime_ = now;
  if (nextStepDue_ > now)
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(nextStepDue_ - now, std::chrono::milliseconds(30)));
}

}  // namespace viv
