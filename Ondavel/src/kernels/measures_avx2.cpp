// The per-bin measures compiled for one instruction set; see measures_simd.h.
#include "kernels/atan2_paths.h"
#include "kernels/isa_kernels.h"
#include "kernels/measures_simd.h"

namespace ondavel {

void MagnitudeRatioAvx2(const double* spectrum, double* ratio, int32_t length) {
  MagnitudeRatioSimd<simd::V4>(spectrum, ratio, length);
}

void PhaseDifferenceAvx2(const double* spectrum, double* phase,
                         int32_t length) {
  PhaseDifferenceSimd<simd::V4>(spectrum, phase, length);
}

void ChannelPhasesAvx2(const double* spectrum, double* left, double* right,
                       int32_t length) {
  ChannelPhasesSimd<simd::V4>(spectrum, left, right, length);
}

void ChannelMagnitudesAvx2(const double* spectrum, double* left, double* right,
                           int32_t length) {
  ChannelMagnitudesSimd<simd::V4>(spectrum, left, right, length);
}

void Atan2ArrayAvx2(const double* y, const double* x, double* angle,
                    size_t count) {
  Atan2ArraySimd<simd::V4>(y, x, angle, count);
}

}  // namespace ondavel
