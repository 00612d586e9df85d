// V2 on x86 with SSE2 (every x86-64 processor): two doubles in an XMM
// register.  Included by simd/vec.h, whose contract it meets.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_VEC_SSE2_H_
#define ONDAVEL_SRC_KERNELS_SIMD_VEC_SSE2_H_

#include <immintrin.h>

#include "kernels/simd/vec_scalar.h"

namespace ondavel::simd {

// Internal linkage: vec.h explains why.
namespace {

struct M2 {
  __m128d m;
};
struct V2 {
  static constexpr int kLanes = 2;
  using Mask = M2;
  using Half = V1;
  __m128d v;

  static V2 Load(const double* p) { return {_mm_loadu_pd(p)}; }
  static V2 Set1(double x) { return {_mm_set1_pd(x)}; }
  static V2 Zero() { return {_mm_setzero_pd()}; }
  void Store(double* p) const { _mm_storeu_pd(p, v); }
};
inline V2 operator+(V2 a, V2 b) { return {_mm_add_pd(a.v, b.v)}; }
inline V2 operator-(V2 a, V2 b) { return {_mm_sub_pd(a.v, b.v)}; }
inline V2 operator*(V2 a, V2 b) { return {_mm_mul_pd(a.v, b.v)}; }
inline V2 operator/(V2 a, V2 b) { return {_mm_div_pd(a.v, b.v)}; }
inline V2 Sqrt(V2 a) { return {_mm_sqrt_pd(a.v)}; }
inline V2 AndBits(V2 a, V2 b) { return {_mm_and_pd(a.v, b.v)}; }
inline V2 AndNotBits(V2 a, V2 b) { return {_mm_andnot_pd(a.v, b.v)}; }
inline V2 OrBits(V2 a, V2 b) { return {_mm_or_pd(a.v, b.v)}; }
inline V2 XorBits(V2 a, V2 b) { return {_mm_xor_pd(a.v, b.v)}; }
inline V2 Abs(V2 a) { return AndNotBits(V2::Set1(-0.0), a); }
inline M2 operator<(V2 a, V2 b) { return {_mm_cmplt_pd(a.v, b.v)}; }
inline M2 operator<=(V2 a, V2 b) { return {_mm_cmple_pd(a.v, b.v)}; }
inline M2 operator>(V2 a, V2 b) { return {_mm_cmpgt_pd(a.v, b.v)}; }
inline M2 operator>=(V2 a, V2 b) { return {_mm_cmpge_pd(a.v, b.v)}; }
inline M2 operator==(V2 a, V2 b) { return {_mm_cmpeq_pd(a.v, b.v)}; }
inline M2 IsNan(V2 a) { return {_mm_cmpunord_pd(a.v, a.v)}; }
inline M2 operator&(M2 a, M2 b) { return {_mm_and_pd(a.m, b.m)}; }
inline M2 operator|(M2 a, M2 b) { return {_mm_or_pd(a.m, b.m)}; }
inline M2 AndNot(M2 a, M2 b) { return {_mm_andnot_pd(a.m, b.m)}; }  // ~a & b
inline M2 operator^(M2 a, M2 b) { return {_mm_xor_pd(a.m, b.m)}; }
inline M2 SignBitSet(V2 a) {
  // No 64-bit compare in SSE2: the sign of each high half, spread.
  const __m128i high = _mm_srai_epi32(_mm_castpd_si128(a.v), 31);
  return {_mm_castsi128_pd(_mm_shuffle_epi32(high, 0xF5))};
}
inline bool Any(M2 a) { return _mm_movemask_pd(a.m) != 0; }
inline bool All(M2 a) { return _mm_movemask_pd(a.m) == 3; }
// Lanes of `yes` where the mask is set, of `no` elsewhere.
inline V2 Select(M2 mask, V2 yes, V2 no) {
  return {_mm_or_pd(_mm_and_pd(mask.m, yes.v), _mm_andnot_pd(mask.m, no.v))};
}

// Complex-data helpers for the transform.  A "run" is consecutive complex
// values interleaved (re, im, re, im, ...) across two vectors lo, hi.
// Run -> separate re and im vectors, lane a taking run element rev(a)
// (the bit reversal over the lane count; identity for two lanes).
[[gnu::always_inline]] inline void DeinterleaveReversed(V2 lo, V2 hi, V2& re,
                                                        V2& im) {
  re = {_mm_unpacklo_pd(lo.v, hi.v)};
  im = {_mm_unpackhi_pd(lo.v, hi.v)};
}
// Separate re and im vectors -> run.
[[gnu::always_inline]] inline void InterleaveComplex(V2 re, V2 im, V2& lo,
                                                     V2& hi) {
  lo = {_mm_unpacklo_pd(re.v, im.v)};
  hi = {_mm_unpackhi_pd(re.v, im.v)};
}
// Square transpose: lane j of row i trades places with lane i of row j.
[[gnu::always_inline]] inline void TransposeLanes(V2* rows) {
  const __m128d a = rows[0].v;
  rows[0] = {_mm_unpacklo_pd(a, rows[1].v)};
  rows[1] = {_mm_unpackhi_pd(a, rows[1].v)};
}
// columns[k] lane a = element 2k of row a, the row being the pair
// rowsLo[a], rowsHi[a] (the even elements, then TransposeLanes, in fewer
// shuffles).
[[gnu::always_inline]] inline void TransposeEvenElements(const V2* rowsLo,
                                                         const V2* rowsHi,
                                                         V2* columns) {
  columns[0] = {_mm_unpacklo_pd(rowsLo[0].v, rowsLo[1].v)};
  columns[1] = {_mm_unpacklo_pd(rowsHi[0].v, rowsHi[1].v)};
}

inline void LoadComplexSplit(const double* p, V2& re, V2& im) {
  const __m128d first = _mm_loadu_pd(p);
  const __m128d second = _mm_loadu_pd(p + 2);
  re = {_mm_unpacklo_pd(first, second)};
  im = {_mm_unpackhi_pd(first, second)};
}
inline void LoadComplexSplitDescending(const double* p, V2& re, V2& im) {
  const __m128d first = _mm_loadu_pd(p);
  const __m128d second = _mm_loadu_pd(p + 2);
  re = {_mm_unpacklo_pd(second, first)};
  im = {_mm_unpackhi_pd(second, first)};
}
// Two doubles as one vector, and back.
inline V2 Combine(V1 lo, V1 hi) { return {_mm_set_pd(hi.v, lo.v)}; }
inline V1 LowerHalf(V2 a) { return {_mm_cvtsd_f64(a.v)}; }
inline V1 UpperHalf(V2 a) { return {_mm_cvtsd_f64(_mm_unpackhi_pd(a.v, a.v))}; }
inline V2 AddInOrder(V2 a, V2 b) {
#if defined(__AVX__)
  __m128d sum;
  __asm__("vaddpd %2, %1, %0" : "=x"(sum) : "x"(a.v), "x"(b.v));
  return {sum};
#else
  __asm__("addpd %1, %0" : "+x"(a.v) : "x"(b.v));
  return a;
#endif
}
// The top lane replaced by the one below it.
inline V2 RepeatBelowTop(V2 a) { return {_mm_unpacklo_pd(a.v, a.v)}; }
inline V2 Min(V2 a, V2 b) { return {_mm_min_pd(a.v, b.v)}; }
inline V2 Max(V2 a, V2 b) { return {_mm_max_pd(a.v, b.v)}; }
inline M2 IsUnordered(V2 a, V2 b) { return {_mm_cmpunord_pd(a.v, b.v)}; }

}  // namespace
}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_VEC_SSE2_H_
