// V2 on AArch64: two doubles in one Advanced SIMD register (float64x2_t),
// with the lane semantics of simd/vector_contract.h, which are x86's, so
// that it computes the same bits as the SSE2 V2:
// - Min and Max return the second operand where the two are unordered, as
//   x86's MINPD and MAXPD do (FMIN and FMAX would return the NaN);
// - AddInOrder keeps its operands' order: where both are NaN, FADD returns
//   the first (payloads may differ from x86, which nothing relies on);
// - masks are all-ones or all-zeros 64-bit lanes (uint64x2_t).
// There is no fused multiply-add here, and the build forbids contracting a
// product and a sum into one.  Included by simd/vec.h.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_VEC_NEON_H_
#define ONDAVEL_SRC_KERNELS_SIMD_VEC_NEON_H_

#include <arm_neon.h>

#include "kernels/simd/vec_scalar.h"

namespace ondavel::simd {
namespace {

struct M2 {
  uint64x2_t m;
};
struct V2 {
  static constexpr int kLanes = 2;
  using Mask = M2;
  using Half = V1;
  float64x2_t v;

  static V2 Load(const double* p) { return {vld1q_f64(p)}; }
  static V2 Set1(double x) { return {vdupq_n_f64(x)}; }
  static V2 Zero() { return {vdupq_n_f64(0.0)}; }
  void Store(double* p) const { vst1q_f64(p, v); }
};
inline V2 operator+(V2 a, V2 b) { return {vaddq_f64(a.v, b.v)}; }
inline V2 operator-(V2 a, V2 b) { return {vsubq_f64(a.v, b.v)}; }
inline V2 operator*(V2 a, V2 b) { return {vmulq_f64(a.v, b.v)}; }
inline V2 operator/(V2 a, V2 b) { return {vdivq_f64(a.v, b.v)}; }
inline V2 Sqrt(V2 a) { return {vsqrtq_f64(a.v)}; }

inline uint64x2_t BitsOf(V2 a) { return vreinterpretq_u64_f64(a.v); }
inline V2 V2OfBits(uint64x2_t u) { return {vreinterpretq_f64_u64(u)}; }
inline V2 AndBits(V2 a, V2 b) {
  return V2OfBits(vandq_u64(BitsOf(a), BitsOf(b)));
}
// ~a & b (BIC clears in its first operand the bits set in its second).
inline V2 AndNotBits(V2 a, V2 b) {
  return V2OfBits(vbicq_u64(BitsOf(b), BitsOf(a)));
}
inline V2 OrBits(V2 a, V2 b) {
  return V2OfBits(vorrq_u64(BitsOf(a), BitsOf(b)));
}
inline V2 XorBits(V2 a, V2 b) {
  return V2OfBits(veorq_u64(BitsOf(a), BitsOf(b)));
}
inline V2 Abs(V2 a) { return AndNotBits(V2::Set1(-0.0), a); }

inline M2 operator<(V2 a, V2 b) { return {vcltq_f64(a.v, b.v)}; }
inline M2 operator<=(V2 a, V2 b) { return {vcleq_f64(a.v, b.v)}; }
inline M2 operator>(V2 a, V2 b) { return {vcgtq_f64(a.v, b.v)}; }
inline M2 operator>=(V2 a, V2 b) { return {vcgeq_f64(a.v, b.v)}; }
inline M2 operator==(V2 a, V2 b) { return {vceqq_f64(a.v, b.v)}; }
inline M2 operator&(M2 a, M2 b) { return {vandq_u64(a.m, b.m)}; }
inline M2 operator|(M2 a, M2 b) { return {vorrq_u64(a.m, b.m)}; }
inline M2 AndNot(M2 a, M2 b) { return {vbicq_u64(b.m, a.m)}; }  // ~a & b
inline M2 operator^(M2 a, M2 b) { return {veorq_u64(a.m, b.m)}; }
// Lanes where a equals itself, inverted.
inline M2 IsNan(V2 a) {
  return {veorq_u64(vceqq_f64(a.v, a.v), vdupq_n_u64(~uint64_t{0}))};
}
inline M2 IsUnordered(V2 a, V2 b) {
  return AndNot(M2{vceqq_f64(a.v, a.v)} & M2{vceqq_f64(b.v, b.v)},
                M2{vdupq_n_u64(~uint64_t{0})});
}
// The sign bit of each lane, spread over the lane.
inline M2 SignBitSet(V2 a) {
  return {vreinterpretq_u64_s64(vshrq_n_s64(vreinterpretq_s64_f64(a.v), 63))};
}
inline bool Any(M2 a) { return vmaxvq_u32(vreinterpretq_u32_u64(a.m)) != 0; }
inline bool All(M2 a) { return vminvq_u32(vreinterpretq_u32_u64(a.m)) != 0; }
// Lanes of `yes` where the mask is set, of `no` elsewhere (BSL).
inline V2 Select(M2 mask, V2 yes, V2 no) {
  return {vbslq_f64(mask.m, yes.v, no.v)};
}

// Complex-data helpers for the transform, as in the SSE2 V2.  ZIP1 takes
// lane 0 of both operands (SSE2's UNPCKLPD), ZIP2 lane 1 (UNPCKHPD).
// Run -> separate re and im vectors (two lanes: no reversal to do).
[[gnu::always_inline]] inline void DeinterleaveReversed(V2 lo, V2 hi, V2& re,
                                                        V2& im) {
  re = {vzip1q_f64(lo.v, hi.v)};  // lo[0], hi[0]
  im = {vzip2q_f64(lo.v, hi.v)};  // lo[1], hi[1]
}
// Separate re and im vectors -> run.
[[gnu::always_inline]] inline void InterleaveComplex(V2 re, V2 im, V2& lo,
                                                     V2& hi) {
  lo = {vzip1q_f64(re.v, im.v)};  // re[0], im[0]
  hi = {vzip2q_f64(re.v, im.v)};  // re[1], im[1]
}
// Square transpose: lane 1 of row 0 trades places with lane 0 of row 1.
[[gnu::always_inline]] inline void TransposeLanes(V2* rows) {
  const float64x2_t a = rows[0].v;
  rows[0] = {vzip1q_f64(a, rows[1].v)};  // a[0], b[0]
  rows[1] = {vzip2q_f64(a, rows[1].v)};  // a[1], b[1]
}
// columns[k] lane a = element 2k of row a, the row being rowsLo[a],
// rowsHi[a].
[[gnu::always_inline]] inline void TransposeEvenElements(const V2* rowsLo,
                                                         const V2* rowsHi,
                                                         V2* columns) {
  columns[0] = {vzip1q_f64(rowsLo[0].v, rowsLo[1].v)};  // element 0 of each
  columns[1] = {vzip1q_f64(rowsHi[0].v, rowsHi[1].v)};  // element 2 of each
}

// Two complex values at p: their real parts, then their imaginary parts.
inline void LoadComplexSplit(const double* p, V2& re, V2& im) {
  const float64x2_t first = vld1q_f64(p);
  const float64x2_t second = vld1q_f64(p + 2);
  re = {vzip1q_f64(first, second)};  // p[0], p[2]
  im = {vzip2q_f64(first, second)};  // p[1], p[3]
}
// The same, the second value in lane 0.
inline void LoadComplexSplitDescending(const double* p, V2& re, V2& im) {
  const float64x2_t first = vld1q_f64(p);
  const float64x2_t second = vld1q_f64(p + 2);
  re = {vzip1q_f64(second, first)};  // p[2], p[0]
  im = {vzip2q_f64(second, first)};  // p[3], p[1]
}
// Two doubles as one vector, and back.
inline V2 Combine(V1 lo, V1 hi) {
  return {vcombine_f64(vdup_n_f64(lo.v), vdup_n_f64(hi.v))};
}
inline V1 LowerHalf(V2 a) { return {vgetq_lane_f64(a.v, 0)}; }
inline V1 UpperHalf(V2 a) { return {vgetq_lane_f64(a.v, 1)}; }
// a + b as written: the compiler may not swap the operands of FADD.
inline V2 AddInOrder(V2 a, V2 b) {
  float64x2_t sum;
  __asm__("fadd %0.2d, %1.2d, %2.2d" : "=w"(sum) : "w"(a.v), "w"(b.v));
  return {sum};
}
// The top lane replaced by the one below it.
inline V2 RepeatBelowTop(V2 a) { return {vdupq_laneq_f64(a.v, 0)}; }
// The smaller and the larger operand, the second where they are unordered
// (or equal): a compare and a select, not FMIN and FMAX.
inline V2 Min(V2 a, V2 b) { return Select(a < b, a, b); }
inline V2 Max(V2 a, V2 b) { return Select(a > b, a, b); }

}  // namespace
}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_VEC_NEON_H_
