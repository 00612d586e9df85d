// CLOCK_MONOTONIC in nanoseconds: never set back, not slewed by the wall
// clock, and 2^63 ns is about 292 years of uptime.
#include <time.h>

#include "platform/performance_counter.h"

namespace pellarin::platform {

namespace {
constexpr int64_t kNanosecondsPerSecond = 1000000000;
}  // namespace

int64_t ReadPerformanceCounter() {
  timespec now;
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
  return int64_t{now.tv_sec} * kNanosecondsPerSecond + now.tv_nsec;
}

int64_t ReadPerformanceFrequency() {
  timespec resolution;
  return clock_getres(CLOCK_MONOTONIC, &resolution) == 0 ? kNanosecondsPerSecond
                                                         : 0;
}

}  // namespace pellarin::platform
