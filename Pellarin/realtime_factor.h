#ifndef PELLARIN_REALTIME_FACTOR_H_
#define PELLARIN_REALTIME_FACTOR_H_

#include <cstdint>

namespace pellarin {

// The sample rate against which the work is compared.
inline constexpr double kRealtimeSampleRate = 44100.0;

// How many times faster than real time `frames` stereo frames were processed
// in `seconds`: (frames / seconds) / 44100, in double (SSE arithmetic on
// every x86 build, also 32-bit, rather than x87 long double), truncated
// toward zero to int32.  Quotients the int32 range cannot hold saturate instead
// of overflowing:
//   - at or above 2^31 (a zero time included): INT32_MAX;
//   - at or below -2^31 - 1: INT32_MIN;
//   - NaN (no counter rate, or infinite frames over infinite time): 0.
// A negative time (a counter running backwards) gives a negative figure.
int32_t RealtimeFactor(int64_t frames, double seconds);

}  // namespace pellarin

#endif  // PELLARIN_REALTIME_FACTOR_H_
