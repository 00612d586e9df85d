// Vectors of whole complex values, interleaved as in a buffer (re, im, re,
// im, ...): V4 holds two values, V8 four.  The short transforms that keep
// the buffer's layout work on these; every shuffle they need, moving whole
// values or swapping the two parts of each, is here.
//
// Value positions inside a vector: value j occupies lanes 2j (re) and
// 2j + 1 (im).  "Inside" passes pair values of one vector: with half-span
// H, value j is the top of its pair when bit H of j is clear, the bottom
// otherwise.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_COMPLEX_VALUES_H_
#define ONDAVEL_SRC_KERNELS_SIMD_COMPLEX_VALUES_H_

#include "kernels/simd/vec.h"

namespace ondavel::simd {

// Internal linkage, as for the vector types.
namespace {

template <class V>
struct ComplexValues;

#if defined(ONDAVEL_HAVE_V4)
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
#endif  // ONDAVEL_HAVE_V4

#if defined(ONDAVEL_HAVE_V8)
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
#endif  // ONDAVEL_HAVE_V8

}  // namespace
}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_COMPLEX_VALUES_H_
