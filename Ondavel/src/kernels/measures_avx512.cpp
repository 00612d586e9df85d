// The per-bin measures compiled for one instruction set; see measures_simd.h.
#include "kernels/isa_kernels.h"

// GCC 12 reports the deliberately undefined pass-through operand inside the
// AVX-512 intrinsics (`__m512d __Y = __Y;`) as maybe uninitialized.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include "kernels/atan2_paths.h"
#include "kernels/measures_simd.h"

namespace ondavel {

void MagnitudeRatioAvx512(const double* spectrum, double* ratio,
                          int32_t length) {
  MagnitudeRatioSimd<simd::V8>(spectrum, ratio, length);
}

void PhaseDifferenceAvx512(const double* spectrum, double* phase,
                           int32_t length) {
  PhaseDifferenceSimd<simd::V8>(spectrum, phase, length);
}

void ChannelPhasesAvx512(const double* spectrum, double* left, double* right,
                         int32_t length) {
  ChannelPhasesSimd<simd::V8>(spectrum, left, right, length);
}

void ChannelMagnitudesAvx512(const double* spectrum, double* left,
                             double* right, int32_t length) {
  ChannelMagnitudesSimd<simd::V8>(spectrum, left, right, length);
}

void Atan2ArrayAvx512(const double* y, const double* x, double* angle,
                      size_t count) {
  Atan2ArraySimd<simd::V8>(y, x, angle, count);
}

}  // namespace ondavel
#pragma GCC diagnostic pop
