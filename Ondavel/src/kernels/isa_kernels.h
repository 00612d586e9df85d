// Entry points of the instruction-set back-ends' kernels.  Each back-end
// compiles the same templates (transform_simd.h, measures_simd.h) for its
// own target; its functions carry its name: TransformSse2, TransformNeon, ...
#ifndef ONDAVEL_SRC_KERNELS_ISA_KERNELS_H_
#define ONDAVEL_SRC_KERNELS_ISA_KERNELS_H_

#include <cstddef>
#include <cstdint>

#include "kernels/kernels.h"

// function##Backend, after expanding Backend.
#define ONDAVEL_BACKEND_FUNCTION(function, Backend) \
  ONDAVEL_BACKEND_FUNCTION_PASTE(function, Backend)
#define ONDAVEL_BACKEND_FUNCTION_PASTE(function, Backend) function##Backend

#define ONDAVEL_DECLARE_BACKEND_KERNELS(Backend)                              \
  void ONDAVEL_BACKEND_FUNCTION(Transform, Backend)(const TransformJob& job); \
  void ONDAVEL_BACKEND_FUNCTION(MagnitudeRatio, Backend)(                     \
      const double* spectrum, double* ratio, int32_t length);                 \
  void ONDAVEL_BACKEND_FUNCTION(PhaseDifference, Backend)(                    \
      const double* spectrum, double* phase, int32_t length);                 \
  void ONDAVEL_BACKEND_FUNCTION(ChannelPhases, Backend)(                      \
      const double* spectrum, double* left, double* right, int32_t length);   \
  void ONDAVEL_BACKEND_FUNCTION(ChannelMagnitudes, Backend)(                  \
      const double* spectrum, double* left, double* right, int32_t length);   \
  void ONDAVEL_BACKEND_FUNCTION(FastSineArray, Backend)(                      \
      const double* x, double* y, size_t count);                              \
  void ONDAVEL_BACKEND_FUNCTION(Atan2Array, Backend)(                         \
      const double* y, const double* x, double* angle, size_t count);

#endif  // ONDAVEL_SRC_KERNELS_ISA_KERNELS_H_
