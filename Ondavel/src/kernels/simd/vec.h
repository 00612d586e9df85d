// Vectors of doubles for the CPU-specific kernels.  A kernel is written once
// as a template over one of these types and compiled per instruction set:
// V2 (SSE2, every x86-64), V4 (AVX2), V8 (AVX-512).  Which types exist in a
// translation unit follows from the flags it is compiled with.  V1, one plain
// double, exists everywhere: a kernel's tail runs the same template over it,
// so the last few elements round exactly like the vector lanes.
//
// Only operations with IEEE double rounding are offered; there is no fused
// multiply-add, so every path rounds exactly as the scalar code does.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_VEC_H_
#define ONDAVEL_SRC_KERNELS_SIMD_VEC_H_

#if defined(__SSE2__) || defined(_M_X64)
#include <immintrin.h>
#define ONDAVEL_HAVE_V2 1
#endif
#if defined(__AVX2__)
#define ONDAVEL_HAVE_V4 1
#endif
#if defined(__AVX512F__) && defined(__AVX512DQ__)
#define ONDAVEL_HAVE_V8 1
#endif

#include <cmath>
#include <cstdint>
#include <cstring>

namespace ondavel::simd {

struct M1 {
  bool m;
};
struct V1 {
  static constexpr int kLanes = 1;
  using Mask = M1;
  double v;

  static V1 Load(const double* p) { return {*p}; }
  static V1 Set1(double x) { return {x}; }
  static V1 Zero() { return {0.0}; }
  void Store(double* p) const { *p = v; }
};
inline V1 operator+(V1 a, V1 b) { return {a.v + b.v}; }
inline V1 operator-(V1 a, V1 b) { return {a.v - b.v}; }
inline V1 operator*(V1 a, V1 b) { return {a.v * b.v}; }
inline V1 operator/(V1 a, V1 b) { return {a.v / b.v}; }
inline V1 Sqrt(V1 a) { return {std::sqrt(a.v)}; }
inline uint64_t BitsOf(double x) {
  uint64_t u;
  std::memcpy(&u, &x, sizeof u);
  return u;
}
inline double DoubleOf(uint64_t u) {
  double x;
  std::memcpy(&x, &u, sizeof x);
  return x;
}
inline V1 AndBits(V1 a, V1 b) { return {DoubleOf(BitsOf(a.v) & BitsOf(b.v))}; }
inline V1 AndNotBits(V1 a, V1 b) {
  return {DoubleOf(~BitsOf(a.v) & BitsOf(b.v))};
}
inline V1 OrBits(V1 a, V1 b) { return {DoubleOf(BitsOf(a.v) | BitsOf(b.v))}; }
inline V1 XorBits(V1 a, V1 b) { return {DoubleOf(BitsOf(a.v) ^ BitsOf(b.v))}; }
inline V1 Abs(V1 a) { return {std::fabs(a.v)}; }
inline M1 operator<(V1 a, V1 b) { return {a.v < b.v}; }
inline M1 operator<=(V1 a, V1 b) { return {a.v <= b.v}; }
inline M1 operator>(V1 a, V1 b) { return {a.v > b.v}; }
inline M1 operator>=(V1 a, V1 b) { return {a.v >= b.v}; }
inline M1 operator==(V1 a, V1 b) { return {a.v == b.v}; }
inline M1 IsNan(V1 a) { return {a.v != a.v}; }
inline M1 operator&(M1 a, M1 b) { return {a.m && b.m}; }
inline M1 operator|(M1 a, M1 b) { return {a.m || b.m}; }
inline M1 AndNot(M1 a, M1 b) { return {!a.m && b.m}; }
inline bool Any(M1 a) { return a.m; }
inline bool All(M1 a) { return a.m; }
inline V1 Select(M1 mask, V1 yes, V1 no) { return mask.m ? yes : no; }

#if defined(ONDAVEL_HAVE_V2)

struct M2 {
  __m128d m;
};
struct V2 {
  static constexpr int kLanes = 2;
  using Mask = M2;
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
inline bool Any(M2 a) { return _mm_movemask_pd(a.m) != 0; }
inline bool All(M2 a) { return _mm_movemask_pd(a.m) == 3; }
// Lanes of `yes` where the mask is set, of `no` elsewhere.
inline V2 Select(M2 mask, V2 yes, V2 no) {
  return {_mm_or_pd(_mm_and_pd(mask.m, yes.v), _mm_andnot_pd(mask.m, no.v))};
}

#endif  // ONDAVEL_HAVE_V2

#if defined(ONDAVEL_HAVE_V4)

struct M4 {
  __m256d m;
};
struct V4 {
  static constexpr int kLanes = 4;
  using Mask = M4;
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
inline bool Any(M4 a) { return _mm256_movemask_pd(a.m) != 0; }
inline bool All(M4 a) { return _mm256_movemask_pd(a.m) == 15; }
inline V4 Select(M4 mask, V4 yes, V4 no) {
  return {_mm256_blendv_pd(no.v, yes.v, mask.m)};
}

#endif  // ONDAVEL_HAVE_V4

#if defined(ONDAVEL_HAVE_V8)

struct M8 {
  __mmask8 m;
};
struct V8 {
  static constexpr int kLanes = 8;
  using Mask = M8;
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
inline bool Any(M8 a) { return a.m != 0; }
inline bool All(M8 a) { return a.m == 0xFF; }
inline V8 Select(M8 mask, V8 yes, V8 no) {
  return {_mm512_mask_blend_pd(mask.m, no.v, yes.v)};
}

#endif  // ONDAVEL_HAVE_V8

}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_VEC_H_
