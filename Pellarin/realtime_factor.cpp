#include "realtime_factor.h"

#include <cmath>
#include <limits>

namespace pellarin {

int32_t RealtimeFactor(int64_t frames, double seconds) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  // Spelled out rather than left to a division by zero.
  if (seconds == 0) return frames > 0 ? kMax : frames < 0 ? kMin : 0;
  const double quotient = (static_cast<double>(frames) / seconds) /
                          static_cast<double>(kRealtimeSampleRate);
  if (std::isnan(quotient)) return 0;
  if (quotient >= 2147483648.0) return kMax;
  if (quotient <= -2147483649.0) return kMin;
  return static_cast<int32_t>(quotient);
}

}  // namespace pellarin
