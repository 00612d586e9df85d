// The per-bin measures over vectors of doubles, compiled once per
// instruction set.
// PLACEHOLDER: forwards to the scalar kernels until the vector versions land.
#ifndef ONDAVEL_SRC_KERNELS_MEASURES_SIMD_H_
#define ONDAVEL_SRC_KERNELS_MEASURES_SIMD_H_

#include <cstdint>

#include "kernels/measures_scalar.h"
#include "kernels/simd/vec.h"

namespace ondavel {

template <class V>
void MagnitudeRatioSimd(const double* spectrum, double* ratio,
                        int32_t length) {
  MagnitudeRatioScalar(spectrum, ratio, length);
}
template <class V>
void PhaseDifferenceSimd(const double* spectrum, double* phase,
                         int32_t length) {
  PhaseDifferenceScalar(spectrum, phase, length);
}
template <class V>
void ChannelPhasesSimd(const double* spectrum, double* left, double* right,
                       int32_t length) {
  ChannelPhasesScalar(spectrum, left, right, length);
}
template <class V>
void ChannelMagnitudesSimd(const double* spectrum, double* left,
                           double* right, int32_t length) {
  ChannelMagnitudesScalar(spectrum, left, right, length);
}

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_MEASURES_SIMD_H_
