// V4 on x86 with AVX2: four doubles in a YMM register, and the complex
// values of simd/complex_values.h over it.  Included by simd/vec.h, whose
// contract it meets.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_VEC_AVX2_H_
#define ONDAVEL_SRC_KERNELS_SIMD_VEC_AVX2_H_

#include <immintrin.h>

#include "kernels/simd/complex_values.h"
#include "kernels/simd/vec_sse2.h"

namespace ondavel::simd {

// Internal linkage: vec.h explains why.
namespace {

struct M4 {
  __m256d m;
};
struct V4 {
  static constexpr int kLanes = 4;
  using Mask = M4;
  using Half = V2;
  __m256d v;

  static V4 Load(const double* p) { return {_mm256_loadu_pd(p)}; }
  static V4 Set1(double x) { return {_mm256_set1_pd(x)}; }
  static V4 Zero() { return {_mm256_setzero_pd()}; }
  void Store(double* p) const { _mm256_storeu_pd(p, v); }
};
inline V4 operator+(V4 a, V4 b) { return {_mm256_add_pd(a.v, b.v)}; }
inline V4 operator-(V4 a, V4 b) { return {_mm256_sub_pd(a.v, b.v)}; }
inline V4 operator*(V4 a, V4 b) { return {_mm256_mul_pd(a.v, b.v)}; }
inline V4 operator/(V4 a, V4 b) { return {_mm256_div_pd(a.v, b.v)}; }
inline V4 Sqrt(V4 a) { return {_mm256_sqrt_pd(a.v)}; }
inline V4 AndBits(V4 a, V4 b) { return {_mm256_and_pd(a.v, b.v)}; }
inline V4 AndNotBits(V4 a, V4 b) { return {_mm256_andnot_pd(a.v, b.v)}; }
inline V4 OrBits(V4 a, V4 b) { return {_mm256_or_pd(a.v, b.v)}; }
inline V4 XorBits(V4 a, V4 b) { return {_mm256_xor_pd(a.v, b.v)}; }
inline V4 Abs(V4 a) { return AndNotBits(V4::Set1(-0.0), a); }
inline M4 operator<(V4 a, V4 b) {
  return {_mm256_cmp_pd(a.v, b.v, _CMP_LT_OQ)};
}
inline M4 operator<=(V4 a, V4 b) {
  return {_mm256_cmp_pd(a.v, b.v, _CMP_LE_OQ)};
}
inline M4 operator>(V4 a, V4 b) {
  return {_mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ)};
}
inline M4 operator>=(V4 a, V4 b) {
  return {_mm256_cmp_pd(a.v, b.v, _CMP_GE_OQ)};
}
inline M4 operator==(V4 a, V4 b) {
  return {_mm256_cmp_pd(a.v, b.v, _CMP_EQ_OQ)};
}
inline M4 IsNan(V4 a) { return {_mm256_cmp_pd(a.v, a.v, _CMP_UNORD_Q)}; }
inline M4 operator&(M4 a, M4 b) { return {_mm256_and_pd(a.m, b.m)}; }
inline M4 operator|(M4 a, M4 b) { return {_mm256_or_pd(a.m, b.m)}; }
inline M4 AndNot(M4 a, M4 b) { return {_mm256_andnot_pd(a.m, b.m)}; }
inline M4 operator^(M4 a, M4 b) { return {_mm256_xor_pd(a.m, b.m)}; }
inline M4 SignBitSet(V4 a) {
  return {_mm256_castsi256_pd(
      _mm256_cmpgt_epi64(_mm256_setzero_si256(), _mm256_castpd_si256(a.v)))};
}
inline bool Any(M4 a) { return _mm256_movemask_pd(a.m) != 0; }
inline bool All(M4 a) { return _mm256_movemask_pd(a.m) == 15; }
inline V4 Select(M4 mask, V4 yes, V4 no) {
  return {_mm256_blendv_pd(no.v, yes.v, mask.m)};
}

[[gnu::always_inline]] inline void DeinterleaveReversed(V4 lo, V4 hi, V4& re,
                                                        V4& im) {
  // Per 128-bit half: (r0, r2 | r1, r3), which is the reversed order.
  re = {_mm256_unpacklo_pd(lo.v, hi.v)};
  im = {_mm256_unpackhi_pd(lo.v, hi.v)};
}
[[gnu::always_inline]] inline void InterleaveComplex(V4 re, V4 im, V4& lo,
                                                     V4& hi) {
  const __m256d a = _mm256_unpacklo_pd(re.v, im.v);  // c0, c2
  const __m256d b = _mm256_unpackhi_pd(re.v, im.v);  // c1, c3
  lo = {_mm256_permute2f128_pd(a, b, 0x20)};
  hi = {_mm256_permute2f128_pd(a, b, 0x31)};
}
[[gnu::always_inline]] inline void TransposeLanes(V4* rows) {
  const __m256d t0 = _mm256_unpacklo_pd(rows[0].v, rows[1].v);
  const __m256d t1 = _mm256_unpackhi_pd(rows[0].v, rows[1].v);
  const __m256d t2 = _mm256_unpacklo_pd(rows[2].v, rows[3].v);
  const __m256d t3 = _mm256_unpackhi_pd(rows[2].v, rows[3].v);
  rows[0] = {_mm256_permute2f128_pd(t0, t2, 0x20)};
  rows[1] = {_mm256_permute2f128_pd(t1, t3, 0x20)};
  rows[2] = {_mm256_permute2f128_pd(t0, t2, 0x31)};
  rows[3] = {_mm256_permute2f128_pd(t1, t3, 0x31)};
}
[[gnu::always_inline]] inline void TransposeEvenElements(const V4* rowsLo,
                                                         const V4* rowsHi,
                                                         V4* columns) {
  // Per 128-bit half: element 2k of rows a and a + 1 side by side.
  const __m256d lo01 = _mm256_unpacklo_pd(rowsLo[0].v, rowsLo[1].v);
  const __m256d lo23 = _mm256_unpacklo_pd(rowsLo[2].v, rowsLo[3].v);
  const __m256d hi01 = _mm256_unpacklo_pd(rowsHi[0].v, rowsHi[1].v);
  const __m256d hi23 = _mm256_unpacklo_pd(rowsHi[2].v, rowsHi[3].v);
  columns[0] = {_mm256_permute2f128_pd(lo01, lo23, 0x20)};
  columns[1] = {_mm256_permute2f128_pd(lo01, lo23, 0x31)};
  columns[2] = {_mm256_permute2f128_pd(hi01, hi23, 0x20)};
  columns[3] = {_mm256_permute2f128_pd(hi01, hi23, 0x31)};
}

// Complex values a and b in one register (a low); the loads put each value
// in the 128-bit half its lanes go to, so no lane-crossing permute (several
// cycles of latency at the head of the measures' chains) is needed.
inline __m256d LoadTwoValues(const double* a, const double* b) {
  return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(a)),
                              _mm_loadu_pd(b), 1);
}
inline void LoadComplexSplit(const double* p, V4& re, V4& im) {
  const __m256d even = LoadTwoValues(p, p + 4);     // v0 | v2
  const __m256d odd = LoadTwoValues(p + 2, p + 6);  // v1 | v3
  re = {_mm256_unpacklo_pd(even, odd)};
  im = {_mm256_unpackhi_pd(even, odd)};
}
inline void LoadComplexSplitDescending(const double* p, V4& re, V4& im) {
  const __m256d odd = LoadTwoValues(p + 6, p + 2);  // v3 | v1
  const __m256d even = LoadTwoValues(p + 4, p);     // v2 | v0
  re = {_mm256_unpacklo_pd(odd, even)};
  im = {_mm256_unpackhi_pd(odd, even)};
}
inline V4 AddInOrder(V4 a, V4 b) {
  __m256d sum;
  __asm__("vaddpd %2, %1, %0" : "=x"(sum) : "x"(a.v), "x"(b.v));
  return {sum};
}
inline V4 RepeatBelowTop(V4 a) {
  return {_mm256_permute4x64_pd(a.v, 0xA4)};  // lanes 0, 1, 2, 2
}
inline V4 Min(V4 a, V4 b) { return {_mm256_min_pd(a.v, b.v)}; }
inline V4 Max(V4 a, V4 b) { return {_mm256_max_pd(a.v, b.v)}; }
inline M4 IsUnordered(V4 a, V4 b) {
  return {_mm256_cmp_pd(a.v, b.v, _CMP_UNORD_Q)};
}
// Two half-width vectors as one: lo in the low lanes, hi in the high ones.
inline V4 Combine(V2 lo, V2 hi) {
  return {_mm256_insertf128_pd(_mm256_castpd128_pd256(lo.v), hi.v, 1)};
}
inline V2 LowerHalf(V4 a) { return {_mm256_castpd256_pd128(a.v)}; }
inline V2 UpperHalf(V4 a) { return {_mm256_extractf128_pd(a.v, 1)}; }

template <>
struct ComplexValues<V4> {
  using V = V4;
  static constexpr int kValues = 2;
  static constexpr int kValueBits = 1;

  // One value from each address.
  static V Gather(const double* first, const double* second) {
    return {_mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(first)),
                                 _mm_loadu_pd(second), 1)};
  }
  // Real parts a - b, imaginary parts a + b.
  static V SubAddParts(V a, V b) { return {_mm256_addsub_pd(a.v, b.v)}; }
  // (im, re) of every value: 0x5 picks the odd lane of each 128-bit half
  // for its even lane and the even one for its odd lane.
  static V SwapParts(V b) { return {_mm256_permute_pd(b.v, 0x5)}; }
  // Value j takes p[j] in both parts: 0x50 picks lanes 0, 0, 1, 1.
  static V SpreadOverValues(const double* p) {
    return {
        _mm256_permute4x64_pd(_mm256_castpd128_pd256(_mm_loadu_pd(p)), 0x50)};
  }

  // The only inside pass, H = 1: twiddle q = 0 for the pair.
  template <int kHalf>
  static V RepeatOverValues(const double* p) {
    static_assert(kHalf == 1);
    return V::Set1(p[0]);
  }
  // Every value replaced by its pair's top (value 0: 0x00 repeats the low
  // 128-bit half) or bottom (value 1: 0x11 repeats the high half).
  template <int kHalf>
  static V Tops(V x) {
    static_assert(kHalf == 1);
    return {_mm256_permute2f128_pd(x.v, x.v, 0x00)};
  }
  template <int kHalf>
  static V Bottoms(V x) {
    static_assert(kHalf == 1);
    return {_mm256_permute2f128_pd(x.v, x.v, 0x11)};
  }
  // top + t at the top value, top - t at the bottom one (0xC: lanes 2, 3
  // from the difference).
  template <int kHalf>
  static V SumAndDifference(V top, V t) {
    static_assert(kHalf == 1);
    return {_mm256_blend_pd((top + t).v, (top - t).v, 0xC)};
  }
};

}  // namespace
}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_VEC_AVX2_H_
