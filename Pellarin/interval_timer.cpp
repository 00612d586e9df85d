#include "interval_timer.h"

#include <limits>

namespace pellarin {

IntervalTimer::IntervalTimer(Counter source)
    : frequency_(source.frequency()), counter_(source) {}

IntervalTimer::~IntervalTimer() = default;

void IntervalTimer::Start() {
  accumulatedTicks_ = 0;
  lastCount_ = counter_.count();
}

int64_t IntervalTimer::Stop() {
  currentCount_ = counter_.count();
  // Two's-complement wrap instead of signed overflow, should a counter ever
  // jump across the int64 range.
  accumulatedTicks_ =
      static_cast<int64_t>(static_cast<uint64_t>(accumulatedTicks_) +
                           (static_cast<uint64_t>(currentCount_) -
                            static_cast<uint64_t>(lastCount_)));
  lastCount_ = currentCount_;
  return accumulatedTicks_;
}

double IntervalTimer::ElapsedSeconds() const {
  if (frequency_ == 0) return std::numeric_limits<double>::quiet_NaN();
  return static_cast<double>(accumulatedTicks_) /
         static_cast<double>(frequency_);
}

}  // namespace pellarin
