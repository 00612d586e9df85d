// The arithmetic of the butterfly passes, once for every path: the pass
// step from its two sines, one twiddle step, one butterfly (on a plain
// double in the scalar reference, on any vector type of simd/vec.h
// elsewhere), and a few passes fused over values held in registers.  Each
// lane rounds exactly as the reference does because it is the reference's
// code.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_PASS_ARITHMETIC_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_PASS_ARITHMETIC_H_

#include <type_traits>

namespace ondavel {

// The recurrence step of one butterfly pass: cos(theta) - 1 and sin(theta).
// Data only, so the plain double instance may be shared by every file.
template <class V>
struct PassStep {
  V wpr;
  V wpi;
};

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {

// A constant as a double or in every lane of a vector.
template <class V>
inline V Broadcast(double c) {
  if constexpr (std::is_same_v<V, double>) {
    return c;
  } else {
    return V::Set1(c);
  }
}

// The step of the pass with angle theta from sin(theta) and sin(theta / 2):
// cos(theta) - 1 as -2 sin^2(theta / 2), without the cancellation of
// forming it from the cosine.
template <class V>
inline PassStep<V> PassStepFrom(V sineOfTheta, V sineOfHalf) {
  return {(sineOfHalf * sineOfHalf) * Broadcast<V>(-2.0), sineOfTheta};
}

#if defined(ONDAVEL_TIMING_CUT_TWIDDLE_CHAINS)
// Only in the floors benchmark's copy of the kernels (bench/): the step
// before this one stays evaluated, but this one starts from zeros that do
// not depend on it, so the steps' latencies no longer add up while every
// step still does its six operations.  Shows what the transform's other
// work costs on its own.
template <class V>
inline void CutTwiddleChain(V& wr, V& wi) {
  V freshR = Broadcast<V>(0.0);
  V freshI = Broadcast<V>(0.0);
  if constexpr (std::is_same_v<V, double>) {
    __asm__ volatile("" : "+x"(freshR), "+x"(freshI) : "x"(wr), "x"(wi));
  } else {
    __asm__ volatile(""
                     : "+x"(freshR.v), "+x"(freshI.v)
                     : "x"(wr.v), "x"(wi.v));
  }
  wr = freshR;
  wi = freshI;
}
#endif

// One twiddle step w <- w + w * (wpr + i wpi), each product and sum
// rounded in the order written.
template <class V>
inline void AdvanceTwiddle(V& wr, V& wi, V wpr, V wpi) {
#if defined(ONDAVEL_TIMING_CUT_TWIDDLE_CHAINS)
  CutTwiddleChain(wr, wi);
#endif
  const V oldWr = wr;
  wr = (wr * wpr + wr) - wi * wpi;
  wi = (wi * wpr + wi) + oldWr * wpi;
}

// One radix-2 butterfly: top + w bottom and top - w bottom.
template <class V>
inline void Butterfly(V& topRe, V& topIm, V& botRe, V& botIm, V wr, V wi) {
  const V tr = wr * botRe - wi * botIm;
  const V ti = wr * botIm + wi * botRe;
  botRe = topRe - tr;
  botIm = topIm - ti;
  topRe = topRe + tr;
  topIm = topIm + ti;
}

namespace transform_simd {

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
