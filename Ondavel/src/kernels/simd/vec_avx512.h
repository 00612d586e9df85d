// V8 on x86 with AVX-512 (F, DQ; the build adds VL and BW): eight doubles
// in a ZMM register, masks in a mask register, and the complex values of
// simd/complex_values.h over it.  Included by simd/vec.h, whose contract it
// meets.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_VEC_AVX512_H_
#define ONDAVEL_SRC_KERNELS_SIMD_VEC_AVX512_H_

#include <immintrin.h>

#include "kernels/simd/complex_values.h"
#include "kernels/simd/vec_avx2.h"

namespace ondavel::simd {

// Internal linkage: vec.h explains why.
namespace {

struct M8 {
  __mmask8 m;
};
struct V8 {
  static constexpr int kLanes = 8;
  using Mask = M8;
  using Half = V4;
  __m512d v;

  static V8 Load(const double* p) { return {_mm512_loadu_pd(p)}; }
  static V8 Set1(double x) { return {_mm512_set1_pd(x)}; }
  static V8 Zero() { return {_mm512_setzero_pd()}; }
  void Store(double* p) const { _mm512_storeu_pd(p, v); }
};
inline V8 operator+(V8 a, V8 b) { return {_mm512_add_pd(a.v, b.v)}; }
inline V8 operator-(V8 a, V8 b) { return {_mm512_sub_pd(a.v, b.v)}; }
inline V8 operator*(V8 a, V8 b) { return {_mm512_mul_pd(a.v, b.v)}; }
inline V8 operator/(V8 a, V8 b) { return {_mm512_div_pd(a.v, b.v)}; }
inline V8 Sqrt(V8 a) { return {_mm512_sqrt_pd(a.v)}; }
inline V8 AndBits(V8 a, V8 b) { return {_mm512_and_pd(a.v, b.v)}; }
inline V8 AndNotBits(V8 a, V8 b) { return {_mm512_andnot_pd(a.v, b.v)}; }
inline V8 OrBits(V8 a, V8 b) { return {_mm512_or_pd(a.v, b.v)}; }
inline V8 XorBits(V8 a, V8 b) { return {_mm512_xor_pd(a.v, b.v)}; }
inline V8 Abs(V8 a) { return AndNotBits(V8::Set1(-0.0), a); }
inline M8 operator<(V8 a, V8 b) {
  return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_LT_OQ)};
}
inline M8 operator<=(V8 a, V8 b) {
  return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_LE_OQ)};
}
inline M8 operator>(V8 a, V8 b) {
  return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_GT_OQ)};
}
inline M8 operator>=(V8 a, V8 b) {
  return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_GE_OQ)};
}
inline M8 operator==(V8 a, V8 b) {
  return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_EQ_OQ)};
}
inline M8 IsNan(V8 a) { return {_mm512_cmp_pd_mask(a.v, a.v, _CMP_UNORD_Q)}; }
inline M8 operator&(M8 a, M8 b) { return {static_cast<__mmask8>(a.m & b.m)}; }
inline M8 operator|(M8 a, M8 b) { return {static_cast<__mmask8>(a.m | b.m)}; }
inline M8 AndNot(M8 a, M8 b) { return {static_cast<__mmask8>(~a.m & b.m)}; }
inline M8 operator^(M8 a, M8 b) { return {static_cast<__mmask8>(a.m ^ b.m)}; }
inline M8 SignBitSet(V8 a) {
  return {_mm512_movepi64_mask(_mm512_castpd_si512(a.v))};
}
inline bool Any(M8 a) { return a.m != 0; }
inline bool All(M8 a) { return a.m == 0xFF; }
inline V8 Select(M8 mask, V8 yes, V8 no) {
  return {_mm512_mask_blend_pd(mask.m, no.v, yes.v)};
}

[[gnu::always_inline]] inline void DeinterleaveReversed(V8 lo, V8 hi, V8& re,
                                                        V8& im) {
  // Element indices 2 rev3(a) (re) and 2 rev3(a) + 1 (im); 8+ is hi.
  const __m512i reIndex = _mm512_setr_epi64(0, 8, 4, 12, 2, 10, 6, 14);
  const __m512i imIndex = _mm512_setr_epi64(1, 9, 5, 13, 3, 11, 7, 15);
  re = {_mm512_permutex2var_pd(lo.v, reIndex, hi.v)};
  im = {_mm512_permutex2var_pd(lo.v, imIndex, hi.v)};
}
[[gnu::always_inline]] inline void InterleaveComplex(V8 re, V8 im, V8& lo,
                                                     V8& hi) {
  const __m512i loIndex = _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11);
  const __m512i hiIndex = _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15);
  lo = {_mm512_permutex2var_pd(re.v, loIndex, im.v)};
  hi = {_mm512_permutex2var_pd(re.v, hiIndex, im.v)};
}
[[gnu::always_inline]] inline void TransposeLanes(V8* rows) {
  __m512d t[8];
  for (int i = 0; i < 8; i += 2) {
    t[i] = _mm512_unpacklo_pd(rows[i].v, rows[i + 1].v);
    t[i + 1] = _mm512_unpackhi_pd(rows[i].v, rows[i + 1].v);
  }
  // 128-bit blocks: rows 0-3 and 4-7 swap the off-diagonal 2x2 blocks.
  __m512d u[8];
  for (int i = 0; i < 2; ++i) {
    u[i] = _mm512_shuffle_f64x2(t[i], t[i + 2], 0x88);
    u[i + 2] = _mm512_shuffle_f64x2(t[i], t[i + 2], 0xDD);
    u[i + 4] = _mm512_shuffle_f64x2(t[i + 4], t[i + 6], 0x88);
    u[i + 6] = _mm512_shuffle_f64x2(t[i + 4], t[i + 6], 0xDD);
  }
  for (int i = 0; i < 4; ++i) {
    rows[i] = {_mm512_shuffle_f64x2(u[i], u[i + 4], 0x88)};
    rows[i + 4] = {_mm512_shuffle_f64x2(u[i], u[i + 4], 0xDD)};
  }
}
[[gnu::always_inline]] inline void TransposeEvenElements(const V8* rowsLo,
                                                         const V8* rowsHi,
                                                         V8* columns) {
  // p[j]: per 128-bit block k, element 2k of rows 2j and 2j + 1 (k = 0..3
  // from rowsLo, 4..7 from rowsHi).
  __m512d pLo[4];
  __m512d pHi[4];
  for (int j = 0; j < 4; ++j) {
    pLo[j] = _mm512_unpacklo_pd(rowsLo[2 * j].v, rowsLo[2 * j + 1].v);
    pHi[j] = _mm512_unpacklo_pd(rowsHi[2 * j].v, rowsHi[2 * j + 1].v);
  }
  // q: rows 4i .. 4i + 3 of columns 2c, 2c + 1 (256-bit halves).
  const __m512i even = _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11);
  const __m512i odd = _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15);
  __m512d q[2][4];
  for (int i = 0; i < 2; ++i) {
    q[i][0] = _mm512_permutex2var_pd(pLo[2 * i], even, pLo[2 * i + 1]);
    q[i][1] = _mm512_permutex2var_pd(pLo[2 * i], odd, pLo[2 * i + 1]);
    q[i][2] = _mm512_permutex2var_pd(pHi[2 * i], even, pHi[2 * i + 1]);
    q[i][3] = _mm512_permutex2var_pd(pHi[2 * i], odd, pHi[2 * i + 1]);
  }
  for (int c = 0; c < 4; ++c) {
    columns[2 * c] = {_mm512_shuffle_f64x2(q[0][c], q[1][c], 0x44)};
    columns[2 * c + 1] = {_mm512_shuffle_f64x2(q[0][c], q[1][c], 0xEE)};
  }
}

inline void LoadComplexSplit(const double* p, V8& re, V8& im) {
  const __m512d first = _mm512_loadu_pd(p);
  const __m512d second = _mm512_loadu_pd(p + 8);
  const __m512i reIndex = _mm512_setr_epi64(0, 2, 4, 6, 8, 10, 12, 14);
  const __m512i imIndex = _mm512_setr_epi64(1, 3, 5, 7, 9, 11, 13, 15);
  re = {_mm512_permutex2var_pd(first, reIndex, second)};
  im = {_mm512_permutex2var_pd(first, imIndex, second)};
}
inline void LoadComplexSplitDescending(const double* p, V8& re, V8& im) {
  const __m512d first = _mm512_loadu_pd(p);
  const __m512d second = _mm512_loadu_pd(p + 8);
  const __m512i reIndex = _mm512_setr_epi64(14, 12, 10, 8, 6, 4, 2, 0);
  const __m512i imIndex = _mm512_setr_epi64(15, 13, 11, 9, 7, 5, 3, 1);
  re = {_mm512_permutex2var_pd(first, reIndex, second)};
  im = {_mm512_permutex2var_pd(first, imIndex, second)};
}
inline V8 AddInOrder(V8 a, V8 b) {
  __m512d sum;
  __asm__("vaddpd %2, %1, %0" : "=v"(sum) : "v"(a.v), "v"(b.v));
  return {sum};
}
inline V8 RepeatBelowTop(V8 a) {
  return {_mm512_permutexvar_pd(_mm512_set_epi64(6, 6, 5, 4, 3, 2, 1, 0), a.v)};
}
inline V8 Min(V8 a, V8 b) { return {_mm512_min_pd(a.v, b.v)}; }
inline V8 Max(V8 a, V8 b) { return {_mm512_max_pd(a.v, b.v)}; }
inline M8 IsUnordered(V8 a, V8 b) {
  return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_UNORD_Q)};
}
inline V8 Combine(V4 lo, V4 hi) {
  return {_mm512_insertf64x4(_mm512_castpd256_pd512(lo.v), hi.v, 1)};
}
inline V4 LowerHalf(V8 a) { return {_mm512_castpd512_pd256(a.v)}; }
inline V4 UpperHalf(V8 a) { return {_mm512_extractf64x4_pd(a.v, 1)}; }

template <>
struct ComplexValues<V8> {
  using V = V8;
  static constexpr int kValues = 4;
  static constexpr int kValueBits = 2;

  // One value from each address, in 128-bit blocks 0 .. 3.
  static V Gather(const double* v0, const double* v1, const double* v2,
                  const double* v3) {
    __m512d v = _mm512_castpd128_pd512(_mm_loadu_pd(v0));
    v = _mm512_insertf64x2(v, _mm_loadu_pd(v1), 1);
    v = _mm512_insertf64x2(v, _mm_loadu_pd(v2), 2);
    return {_mm512_insertf64x2(v, _mm_loadu_pd(v3), 3)};
  }
  // Real parts a - b, imaginary parts a + b: the sum everywhere, then the
  // difference over it in the real parts (mask 0x55, the even lanes).
  static V SubAddParts(V a, V b) {
    return {_mm512_mask_sub_pd(_mm512_add_pd(a.v, b.v), 0x55, a.v, b.v)};
  }
  // (im, re) of every value: 0x55 swaps the two lanes of each value.
  static V SwapParts(V b) { return {_mm512_permute_pd(b.v, 0x55)}; }
  // Value j takes p[j] in both parts.
  static V SpreadOverValues(const double* p) {
    const __m512i dup = _mm512_setr_epi64(0, 0, 1, 1, 2, 2, 3, 3);
    return {
        _mm512_permutexvar_pd(dup, _mm512_castpd256_pd512(_mm256_loadu_pd(p)))};
  }

  // Value j takes p[j mod H] in both parts: twiddle q of its pair.
  template <int kHalf>
  static V RepeatOverValues(const double* p) {
    static_assert(kHalf == 1 || kHalf == 2);
    if constexpr (kHalf == 1) {
      return V::Set1(p[0]);
    } else {
      const __m512i pairOf2 = _mm512_setr_epi64(0, 0, 1, 1, 0, 0, 1, 1);
      return {_mm512_permutexvar_pd(pairOf2,
                                    _mm512_castpd128_pd512(_mm_loadu_pd(p)))};
    }
  }
  // Every value replaced by its pair's top: H = 1 values 0, 0, 2, 2;
  // H = 2 values 0, 1, 0, 1.
  template <int kHalf>
  static V Tops(V x) {
    static_assert(kHalf == 1 || kHalf == 2);
    const __m512i top = kHalf == 1 ? _mm512_setr_epi64(0, 1, 0, 1, 4, 5, 4, 5)
                                   : _mm512_setr_epi64(0, 1, 2, 3, 0, 1, 2, 3);
    return {_mm512_permutexvar_pd(top, x.v)};
  }
  // Every value replaced by its pair's bottom: H = 1 values 1, 1, 3, 3;
  // H = 2 values 2, 3, 2, 3.
  template <int kHalf>
  static V Bottoms(V x) {
    static_assert(kHalf == 1 || kHalf == 2);
    const __m512i bottom = kHalf == 1
                               ? _mm512_setr_epi64(2, 3, 2, 3, 6, 7, 6, 7)
                               : _mm512_setr_epi64(4, 5, 6, 7, 4, 5, 6, 7);
    return {_mm512_permutexvar_pd(bottom, x.v)};
  }
  // top + t at the top values, top - t at the bottom ones: the sum, then
  // the difference over it in the bottoms' lanes (H = 1: values 1 and 3,
  // mask 0xCC; H = 2: values 2 and 3, mask 0xF0).
  template <int kHalf>
  static V SumAndDifference(V top, V t) {
    static_assert(kHalf == 1 || kHalf == 2);
    constexpr __mmask8 kBottoms = kHalf == 1 ? 0xCC : 0xF0;
    return {_mm512_mask_sub_pd((top + t).v, kBottoms, top.v, t.v)};
  }
};

}  // namespace
}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_VEC_AVX512_H_
