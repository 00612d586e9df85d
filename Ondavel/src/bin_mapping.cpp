// Mapping between bins of the recorded length and frequencies.
#include <cmath>
#include <cstdint>

#include "Ondavel.h"
#include "engine_state.h"

namespace {

constexpr int32_t kNoBin = INT32_MIN;

}  // namespace

extern "C" ONDAVEL_API int32_t ONDAVEL_CALL Ondavel_FFT_Node(double frequency,
                                                             double rate) {
  const double quotient =
      (static_cast<double>(ondavel::engine.length) * frequency) / rate;
  // Rejects NaN and anything whose ceiling cannot be an int32 before any
  // narrowing conversion, which would be undefined there.
  if (!(std::fabs(quotient) < 4.0e9)) return kNoBin;
  // Single precision decides near-integral quotients: a quotient just above
  // a bin rounds onto it instead of moving up to the next one.
  const float single = static_cast<float>(quotient);
  const float bin = std::ceil(single);
  if (!(bin >= -2147483648.0f && bin < 2147483648.0f)) return kNoBin;
  return static_cast<int32_t>(bin);
}

extern "C" ONDAVEL_API double ONDAVEL_CALL Ondavel_FreqNode(int32_t bin,
                                                            double rate) {
  return (static_cast<double>(bin) * rate) /
         static_cast<double>(ondavel::engine.length);
}
