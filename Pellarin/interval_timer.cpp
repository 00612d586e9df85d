#include "interval_timer.h"

#include <limits>

namespace pellarin {

IntervalTimer::IntervalTimer(Counter source)
    : frequency(source.frequency()), counter(source) {}

IntervalTimer::~IntervalTimer() = default;

void IntervalTimer::Start() {
  accumulatedTicks = 0;
  lastCount = counter.count();
}

int64_t IntervalTimer::Stop() {
  currentCount = counter.count();
  // Two's-complement wrap instead of signed overflow, should a counter ever
  // jump across the int64 range.
  accumulatedTicks = static_cast<int64_t>(
      static_cast<uint64_t>(accumulatedTicks) +
      (static_cast<uint64_t>(currentCount) - static_cast<uint64_t>(lastCount)));
  lastCount = currentCount;
  return accumulatedTicks;
}

double IntervalTimer::ElapsedSeconds() const {
  if (frequency == 0) return std::numeric_limits<double>::quiet_NaN();
  return static_cast<double>(accumulatedTicks) / static_cast<double>(frequency);
}

}  // namespace pellarin
