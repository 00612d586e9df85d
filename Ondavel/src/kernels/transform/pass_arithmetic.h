// The arithmetic of the butterfly passes, over any vector type of
// simd/vec.h: one twiddle step, one butterfly, and a few passes fused over
// values held in registers.  Every operation and operand order is the
// reference's, so each lane rounds exactly as the scalar transform does.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_PASS_ARITHMETIC_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_PASS_ARITHMETIC_H_

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

// One twiddle step, lane by lane, with the reference's operations.
template <class V>
inline void Step(V& wr, V& wi, V wpr, V wpi) {
  const V oldWr = wr;
  wr = (wr * wpr + wr) - wi * wpi;
  wi = (wi * wpr + wi) + oldWr * wpi;
}

// One radix-2 butterfly, operations and operand order as in the reference.
template <class V>
inline void Butterfly(V& topRe, V& topIm, V& botRe, V& botIm, V wr, V wi) {
  const V tr = wr * botRe - wi * botIm;
  const V ti = wr * botIm + wi * botRe;
  botRe = topRe - tr;
  botIm = topIm - ti;
  topRe = topRe + tr;
  topIm = topIm + ti;
}

// kPasses fused passes over 2^kPasses values x[c]: pass t pairs c and
// c + 2^t.  The twiddle of pass t for the pairs with c mod 2^t = j is
// twiddle(2^t - 1 + j), the "cursor lane" numbering used everywhere here.
// Fully unrolled, so re and im stay in registers.
template <int kPasses, class V, class Twiddle>
[[gnu::always_inline]] inline void FusedPasses(V* re, V* im, Twiddle twiddle) {
#pragma GCC unroll 8
  for (int t = 0; t < kPasses; ++t) {
    const int half = 1 << t;
#pragma GCC unroll 16
    for (int c = 0; c < (1 << kPasses); ++c) {
      if ((c & half) != 0) continue;
      V wr;
      V wi;
      twiddle(half - 1 + (c & (half - 1)), wr, wi);
      Butterfly(re[c], im[c], re[c + half], im[c + half], wr, wi);
    }
  }
}

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_PASS_ARITHMETIC_H_
