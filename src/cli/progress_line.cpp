#include "cli/progress_line.h"

#include <cstdio>

namespace viv {

TProgressLine::TProgressLine(std::ostream& err, bool enabled, int64_t first, int64_t last)
    : err_(err), enabled_(enabled), first_(first), last_(last), start_(std::chrono::steady_clock::now()) {
  drawn_ = start_;
  samples_.emplace_back(start_, first);
}

void TProgressLine::Sample(std::chrono::steady_clock::time_point when, int64_t step) {
  samples_.emplace_back(when, step);
  // Keep the newest sample that is at least ten seconds old as the window's start.
  while (samples_.size() > 2 && when - samples_[1].first >= std::chrono::seconds(10)) samples_.pop_front();
}

double TProgressLine::RecentRate() const {
  if (samples_.size() < 2) return 0;
  const double seconds = std::chrono::duration<double>(samples_.back().first - samples_.front().first).count();
  return seconds > 0 ? static_cast<double>(samples_.back().second - samples_.front().second) / seconds : 0;
}

void TProgressLine::Update(int64_t step) {
  if (!enabled_ || (step & 63) != 0) return;  // the clock is read every 64 steps
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < std::chrono::seconds(1) || now - drawn_ < std::chrono::milliseconds(250)) return;
  drawn_ = now;
  Sample(now, step);
  const double rate = RecentRate();
  const double percent =
      last_ > first_ ? 100.0 * static_cast<double>(step - first_) / static_cast<double>(last_ - first_) : 100;
  const auto left = static_cast<long long>(rate > 0 ? static_cast<double>(last_ - step) / rate : 0);
  char line[160];
  std::snprintf(line, sizeof line, "\rstep %lld of %lld (%.0f%%), %.0f steps/s, %lld:%02lld:%02lld left\033[K",
                static_cast<long long>(step), static_cast<long long>(last_), percent, rate, left / 3600, left / 60 % 60,
                left % 60);
  err_ << line << std::flush;
  shown_ = true;
}

void TProgressLine::Clear() {
  if (!shown_) return;
  err_ << "\r\033[K" << std::flush;
  shown_ = false;
}

}  // namespace viv
