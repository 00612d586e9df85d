// Atan2 over arrays, each back-end's atan2Array test hook (test_hooks.h);
// the kernels use Atan2 directly.
#ifndef ONDAVEL_SRC_KERNELS_ATAN2_PATHS_H_
#define ONDAVEL_SRC_KERNELS_ATAN2_PATHS_H_

#include <cstddef>

#include "kernels/atan2_simd.h"
#include "kernels/simd/vec.h"

namespace ondavel {

// Internal linkage: each back-end compiles its own copy with its own flags.
namespace {

template <class V>
void Atan2ArraySimd(const double* y, const double* x, double* angle,
                    size_t count) {
  size_t i = 0;
  for (; i + 2 * V::kLanes <= count; i += 2 * V::kLanes) {
    V first, second;
    simd::Atan2Pair(V::Load(y + i), V::Load(x + i), V::Load(y + i + V::kLanes),
                    V::Load(x + i + V::kLanes), first, second);
    first.Store(angle + i);
    second.Store(angle + i + V::kLanes);
  }
  for (; i + V::kLanes <= count; i += V::kLanes) {
    simd::Atan2(V::Load(y + i), V::Load(x + i)).Store(angle + i);
  }
  for (; i < count; ++i) {
    angle[i] = simd::Atan2(simd::V1{y[i]}, simd::V1{x[i]}).v;
  }
}

}  // namespace

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_ATAN2_PATHS_H_
