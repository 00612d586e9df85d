// FastSineV over arrays, each back-end's fastSineArray test hook
// (test_hooks.h); the transform calls FastSineV directly.
#ifndef ONDAVEL_SRC_KERNELS_FAST_SINE_PATHS_H_
#define ONDAVEL_SRC_KERNELS_FAST_SINE_PATHS_H_

#include <cstddef>

#include "kernels/fast_sine.h"
#include "kernels/simd/vec.h"

namespace ondavel {

// Internal linkage: each back-end compiles its own copy with its own flags.
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

}  // namespace

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_FAST_SINE_PATHS_H_
