// The per-bin measures compiled for one instruction set; see measures_simd.h.
#include "kernels/atan2_paths.h"
#include "kernels/isa_kernels.h"
#include "kernels/measures_simd.h"

namespace ondavel {

void MagnitudeRatioSse2(const double* spectrum, double* ratio, int32_t length) {
  MagnitudeRatioSimd<simd::V2>(spectrum, ratio, length);
}

void PhaseDifferenceSse2(const double* spectrum, double* phase,
                         int32_t length) {
  PhaseDifferenceSimd<simd::V2>(spectrum, phase, length);
}

void ChannelPhasesSse2(const double* spectrum, double* left, double* right,
                       int32_t length) {
  ChannelPhasesSimd<simd::V2>(spectrum, left, right, length);
}

void ChannelMagnitudesSse2(const double* spectrum, double* left, double* right,
                           int32_t length) {
  ChannelMagnitudesSimd<simd::V2>(spectrum, left, right, length);
}

void Atan2ArraySse2(const double* y, const double* x, double* angle,
                    size_t count) {
  Atan2ArraySimd<simd::V2>(y, x, angle, count);
}

}  // namespace ondavel
