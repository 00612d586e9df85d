// Vectors of doubles for the CPU-specific kernels.  A kernel is written once
// as a template over one of these types and compiled per instruction set:
// V2 (SSE2, every x86-64; NEON on AArch64, in vec_neon.h), V4 (AVX2), V8
// (AVX-512).  Which types exist in a translation unit follows from the flags
// it is compiled with.  V1, one plain double, exists everywhere: a kernel's
// tail runs the same template over it, so the last few elements round
// exactly like the vector lanes.
//
// Only operations with IEEE double rounding are offered; there is no fused
// multiply-add, so every path rounds exactly as the scalar code does.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_VEC_H_
#define ONDAVEL_SRC_KERNELS_SIMD_VEC_H_

#if defined(__SSE2__) || defined(_M_X64)
#include <immintrin.h>
#define ONDAVEL_HAVE_V2 1
#define ONDAVEL_HAVE_SSE2_V2 1
#endif
#if defined(__AVX2__)
#define ONDAVEL_HAVE_V4 1
#endif
#if defined(__AVX512F__) && defined(__AVX512DQ__)
#define ONDAVEL_HAVE_V8 1
#endif
#if defined(__aarch64__) && defined(__ARM_NEON)
#define ONDAVEL_HAVE_V2 1
#define ONDAVEL_HAVE_NEON_V2 1
#endif

#include <cmath>
#include <cstdint>
#include <cstring>

namespace ondavel::simd {

// Internal linkage: this header is compiled into every instruction-set
// file with different target flags, and the linker must never merge an
// AVX-encoded copy into a path meant for an older processor.
namespace {

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
inline M1 operator^(M1 a, M1 b) { return {a.m != b.m}; }
// Lanes whose sign bit is set (negative numbers, -0, NaN with the bit).
inline M1 SignBitSet(V1 a) { return {std::signbit(a.v)}; }
inline bool Any(M1 a) { return a.m; }
inline bool All(M1 a) { return a.m; }
inline V1 Select(M1 mask, V1 yes, V1 no) { return mask.m ? yes : no; }

// Per-bin measures: L consecutive complex values at p (re, im, re, im, ...)
// split into their real and imaginary parts, lane a taking value a, or in
// descending order, lane a taking value L - 1 - a.
inline void LoadComplexSplit(const double* p, V1& re, V1& im) {
  re = {p[0]};
  im = {p[1]};
}
inline void LoadComplexSplitDescending(const double* p, V1& re, V1& im) {
  LoadComplexSplit(p, re, im);
}
// a + b with a as the first operand.  Where both are NaN, x86 returns the
// first one (payload and sign), and compilers may swap the operands of an
// addition, so sums that must agree bit for bit across paths use this.
inline V1 AddInOrder(V1 a, V1 b) {
#if defined(__AVX__)
  double sum;
  __asm__("vaddsd %2, %1, %0" : "=x"(sum) : "x"(a.v), "x"(b.v));
  return {sum};
#elif defined(__SSE2__) || defined(_M_X64)
  __asm__("addsd %1, %0" : "+x"(a.v) : "x"(b.v));
  return a;
#elif defined(__aarch64__)
  double sum;
  __asm__("fadd %d0, %d1, %d2" : "=w"(sum) : "w"(a.v), "w"(b.v));
  return {sum};
#else
  return a + b;
#endif
}
// The smaller and the larger operand as x86 computes them: the second
// operand where they are unordered (or equal).
inline V1 Min(V1 a, V1 b) { return {a.v < b.v ? a.v : b.v}; }
inline V1 Max(V1 a, V1 b) { return {a.v > b.v ? a.v : b.v}; }
// Lanes where a or b is NaN.
inline M1 IsUnordered(V1 a, V1 b) { return {a.v != a.v || b.v != b.v}; }

#if defined(ONDAVEL_HAVE_SSE2_V2)

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
inline V2 MakeV2(double lane0, double lane1) {
  return {_mm_set_pd(lane1, lane0)};
}
inline double Lane0(V2 a) { return _mm_cvtsd_f64(a.v); }
inline double Lane1(V2 a) { return _mm_cvtsd_f64(_mm_unpackhi_pd(a.v, a.v)); }
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

#endif  // ONDAVEL_HAVE_SSE2_V2

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

inline void LoadComplexSplit(const double* p, V4& re, V4& im) {
  const __m256d first = _mm256_loadu_pd(p);
  const __m256d second = _mm256_loadu_pd(p + 4);
  // Per 128-bit half (v0, v2 | v1, v3); the permute restores the order.
  re = {_mm256_permute4x64_pd(_mm256_unpacklo_pd(first, second), 0xD8)};
  im = {_mm256_permute4x64_pd(_mm256_unpackhi_pd(first, second), 0xD8)};
}
inline void LoadComplexSplitDescending(const double* p, V4& re, V4& im) {
  const __m256d first = _mm256_loadu_pd(p);
  const __m256d second = _mm256_loadu_pd(p + 4);
  re = {_mm256_permute4x64_pd(_mm256_unpacklo_pd(first, second), 0x27)};
  im = {_mm256_permute4x64_pd(_mm256_unpackhi_pd(first, second), 0x27)};
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

#endif  // ONDAVEL_HAVE_V8

}  // namespace
}  // namespace ondavel::simd

#if defined(ONDAVEL_HAVE_NEON_V2)
#include "kernels/simd/vec_neon.h"
#endif

#endif  // ONDAVEL_SRC_KERNELS_SIMD_VEC_H_
