// Entry points of the instruction-set specific kernels.  Each is the same
// template (transform_simd.h, measures_simd.h) compiled for one target.
#ifndef ONDAVEL_SRC_KERNELS_ISA_KERNELS_H_
#define ONDAVEL_SRC_KERNELS_ISA_KERNELS_H_

#include <cstdint>

#include "kernels/kernels.h"

#define ONDAVEL_DECLARE_ISA_KERNELS(Isa)                                       \
  void Transform##Isa(const TransformJob& job);                                \
  void MagnitudeRatio##Isa(const double* spectrum, double* ratio,              \
                           int32_t length);                                    \
  void PhaseDifference##Isa(const double* spectrum, double* phase,             \
                            int32_t length);                                   \
  void ChannelPhases##Isa(const double* spectrum, double* left, double* right, \
                          int32_t length);                                     \
  void ChannelMagnitudes##Isa(const double* spectrum, double* left,            \
                              double* right, int32_t length);

namespace ondavel {

ONDAVEL_DECLARE_ISA_KERNELS(Sse2)
ONDAVEL_DECLARE_ISA_KERNELS(Avx2)
ONDAVEL_DECLARE_ISA_KERNELS(Avx512)

}  // namespace ondavel

#undef ONDAVEL_DECLARE_ISA_KERNELS

#endif  // ONDAVEL_SRC_KERNELS_ISA_KERNELS_H_
