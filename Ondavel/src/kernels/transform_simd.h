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
#include <type_traits>

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

#if defined(ONDAVEL_HAVE_V4)
// The widest vector an instruction set has, as complex values.
template <class V>
using ComplexOf = std::conditional_t<(V::kLanes >= 8), V, simd::V4>;
#endif

// Lengths 4 .. 32 run straight-line code (16 and 32 over complex vectors on
// AVX2 and AVX-512, faster there than the lane layout), tested first (the
// order of these tests measurably moves the shortest lengths); longer ones
// below L*L on narrower vectors; 1 and 2 on the reference.
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
#if defined(ONDAVEL_HAVE_V4)
      if constexpr (V::kLanes >= 4) {
        transform_simd::complex_small::Transform<4, ComplexOf<V>, V>(job);
        return;
      }
#endif
      transform_simd::SmallTransform<4, V>(job);
      return;
    case 32:
#if defined(ONDAVEL_HAVE_V4)
      if constexpr (V::kLanes >= 4) {
        transform_simd::complex_small::Transform<5, ComplexOf<V>, V>(job);
        return;
      }
#endif
      break;
    default:
      if (n < 4) {
        TransformScalar(job);
        return;
      }
      break;
  }
#if defined(ONDAVEL_HAVE_V8)
  if constexpr (V::kLanes >= 8) {
    if (n >= 64) {
      transform_simd::RunLaneTransform<simd::V8, V>(job);
      return;
    }
  }
#endif
#if defined(ONDAVEL_HAVE_V4)
  if constexpr (V::kLanes >= 4) {
    if (n >= 16) {
      transform_simd::RunLaneTransform<simd::V4, V>(job);
      return;
    }
  }
#endif
  if (n >= 4) {
    transform_simd::RunLaneTransform<simd::V2, V>(job);
    return;
  }
  TransformScalar(job);
}

}  // namespace

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_
