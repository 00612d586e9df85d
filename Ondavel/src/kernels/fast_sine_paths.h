// FastSineV over arrays on each instruction-set path, for the tests and
// benchmarks that compare the paths; the transform calls FastSineV directly.
#ifndef ONDAVEL_SRC_KERNELS_FAST_SINE_PATHS_H_
#define ONDAVEL_SRC_KERNELS_FAST_SINE_PATHS_H_

#include <cstddef>

#include "kernels/fast_sine.h"
#include "kernels/kernels.h"
#include "kernels/simd/vec.h"

namespace ondavel {

using SineArray = void (*)(const double* x, double* y, size_t count);

#if defined(ONDAVEL_X86_KERNELS)
// Defined in transform_<isa>.cpp, compiled with that path's flags.
void FastSineArraySse2(const double* x, double* y, size_t count);
void FastSineArrayAvx2(const double* x, double* y, size_t count);
void FastSineArrayAvx512(const double* x, double* y, size_t count);
#endif

namespace {

// Whole vectors of V, then the tail on V1.
template <class V>
void FastSineArraySimd(const double* x, double* y, size_t count) {
  size_t i = 0;
  for (; i + V::kLanes <= count; i += V::kLanes) {
    FastSineV(V::Load(x + i)).Store(y + i);
  }
  for (; i < count; ++i) y[i] = FastSineV(simd::V1{x[i]}).v;
}

// The path's array function; V1 for the scalar path.
inline SineArray FastSineArrayFor(Isa isa) {
  switch (isa) {
#if defined(ONDAVEL_X86_KERNELS)
    case Isa::kAvx512:
      return FastSineArrayAvx512;
    case Isa::kAvx2:
      return FastSineArrayAvx2;
    case Isa::kSse2:
      return FastSineArraySse2;
#endif
    default:
      return FastSineArraySimd<simd::V1>;
  }
}

}  // namespace

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_FAST_SINE_PATHS_H_
