// The per-bin measures of one instruction-set back-end; see measures_simd.h.
// The build compiles this file once per back-end (cmake/Backends.cmake),
// with the back-end's flags, ONDAVEL_BACKEND naming it (Sse2, Neon, ...) and
// ONDAVEL_BACKEND_VECTOR naming its vector type (V2, V4, V8).
#include "kernels/backend_entry_points.h"

// GCC 12 reports the deliberately undefined pass-through operand inside the
// AVX-512 intrinsics (`__m512d __Y = __Y;`) as maybe uninitialized.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include "kernels/measures_simd.h"

namespace ondavel {

ONDAVEL_DECLARE_BACKEND_KERNELS(ONDAVEL_BACKEND)

using Vector = simd::ONDAVEL_BACKEND_VECTOR;

void ONDAVEL_BACKEND_FUNCTION(MagnitudeRatio,
                              ONDAVEL_BACKEND)(const double* spectrum,
                                               double* ratio, int32_t length) {
  MagnitudeRatioSimd<Vector>(spectrum, ratio, length);
}

void ONDAVEL_BACKEND_FUNCTION(PhaseDifference,
                              ONDAVEL_BACKEND)(const double* spectrum,
                                               double* phase, int32_t length) {
  PhaseDifferenceSimd<Vector>(spectrum, phase, length);
}

void ONDAVEL_BACKEND_FUNCTION(ChannelPhases,
                              ONDAVEL_BACKEND)(const double* spectrum,
                                               double* left, double* right,
                                               int32_t length) {
  ChannelPhasesSimd<Vector>(spectrum, left, right, length);
}

void ONDAVEL_BACKEND_FUNCTION(ChannelMagnitudes,
                              ONDAVEL_BACKEND)(const double* spectrum,
                                               double* left, double* right,
                                               int32_t length) {
  ChannelMagnitudesSimd<Vector>(spectrum, left, right, length);
}

}  // namespace ondavel
#pragma GCC diagnostic pop
