// Atan2 over arrays on each instruction-set path, for the tests and
// benchmarks that compare the paths; the kernels use Atan2 directly.
#ifndef ONDAVEL_SRC_KERNELS_ATAN2_PATHS_H_
#define ONDAVEL_SRC_KERNELS_ATAN2_PATHS_H_

#include <cstddef>

#include "kernels/atan2_simd.h"
#include "kernels/kernels.h"
#include "kernels/simd/vec.h"

namespace ondavel {

using Atan2Array = void (*)(const double* y, const double* x, double* angle,
                            size_t count);

#if defined(ONDAVEL_X86_KERNELS)
// Defined in measures_<isa>.cpp, compiled with that path's flags.
void Atan2ArraySse2(const double* y, const double* x, double* angle,
                    size_t count);
void Atan2ArrayAvx2(const double* y, const double* x, double* angle,
                    size_t count);
void Atan2ArrayAvx512(const double* y, const double* x, double* angle,
                      size_t count);
#endif

namespace {

template <class V>
void Atan2ArraySimd(const double* y, const double* x, double* angle,
                    size_t count) {
  size_t i = 0;
  for (; i + V::kLanes <= count; i += V::kLanes) {
    simd::Atan2(V::Load(y + i), V::Load(x + i)).Store(angle + i);
  }
  for (; i < count; ++i) {
    angle[i] = simd::Atan2(simd::V1{y[i]}, simd::V1{x[i]}).v;
  }
}

// The path's array function; V1 for the scalar path.
inline Atan2Array Atan2ArrayFor(Isa isa) {
  switch (isa) {
#if defined(ONDAVEL_X86_KERNELS)
    case Isa::kAvx512:
      return Atan2ArrayAvx512;
    case Isa::kAvx2:
      return Atan2ArrayAvx2;
    case Isa::kSse2:
      return Atan2ArraySse2;
#endif
    default:
      return Atan2ArraySimd<simd::V1>;
  }
}

}  // namespace

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_ATAN2_PATHS_H_
