// The transform over vectors of doubles, compiled once per instruction set.
// Every butterfly and twiddle step rounds exactly like the scalar reference;
// only the order of independent butterflies and the memory layout between
// passes differ.
//
// The pieces, in transform/:
//   pass_steps.h          the 2 log2 N sines of a call, the pass steps
//   pass_arithmetic.h     twiddle step, butterfly, fused passes
//   small_transform.h     lengths 4 .. 16, straight-line scalar code
//   complex_small_transform.h  lengths 16, 32 over complex vectors
//   lane_transform.h      longer lengths in the lane layout: the sweep plan,
//                         the gather, middle and last sweeps, and the
//                         checkpoint walks that start their twiddles
// This file picks one by length.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_

#include <cstdint>

#include "kernels/kernels.h"
#include "kernels/simd/vec.h"
#include "kernels/transform/complex_small_transform.h"
#include "kernels/transform/lane_transform.h"
#include "kernels/transform/small_transform.h"
#include "kernels/transform_scalar.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {

// The lane layout over the widest of W, its half, its quarter ... whose
// L*L the length n reaches (any n >= 4 reaches the two lanes').
template <class W, class V>
[[gnu::always_inline]] inline void RunLaneTransformWithin(
    const TransformJob& job, int32_t n) {
  if (n >= W::kLanes * W::kLanes) {
    transform_simd::RunLaneTransform<W, V>(job);
    return;
  }
  if constexpr (W::kLanes > 2) {
    RunLaneTransformWithin<typename W::Half, V>(job, n);
  } else {
    TransformScalar(job);
  }
}

// Lengths 4 .. 32 run straight-line code (16 and 32 over complex vectors
// where the vector holds them, AVX2 and AVX-512: faster there than the lane
// layout), tested first (the order of these tests measurably moves the
// shortest lengths); longer ones below L*L on narrower vectors; 1 and 2 on
// the reference.
template <class V>
void TransformSimd(const TransformJob& job) {
  const int32_t n = job.length;
  switch (n) {
    case 4:
      transform_simd::SmallTransform<2, V>(job);
      return;
    case 8:
      transform_simd::SmallTransform<3, V>(job);
      return;
    case 16:
      if constexpr (simd::HoldsComplexValues<V>) {
        transform_simd::complex_small::Transform<4, V, V>(job);
        return;
      }
      transform_simd::SmallTransform<4, V>(job);
      return;
    case 32:
      if constexpr (simd::HoldsComplexValues<V>) {
        transform_simd::complex_small::Transform<5, V, V>(job);
        return;
      }
      break;
    default:
      if (n < 4) {
        TransformScalar(job);
        return;
      }
      break;
  }
  RunLaneTransformWithin<V, V>(job, n);
}

}  // namespace

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_
