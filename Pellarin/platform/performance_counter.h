#ifndef PELLARIN_PLATFORM_PERFORMANCE_COUNTER_H_
#define PELLARIN_PLATFORM_PERFORMANCE_COUNTER_H_

#include <cstdint>

namespace pellarin::platform {

// The system's monotonic high-resolution counter, in whole ticks.
int64_t ReadPerformanceCounter();

// Its fixed rate in ticks per second; 0 when the system has no such counter.
int64_t ReadPerformanceFrequency();

}  // namespace pellarin::platform

#endif  // PELLARIN_PLATFORM_PERFORMANCE_COUNTER_H_
