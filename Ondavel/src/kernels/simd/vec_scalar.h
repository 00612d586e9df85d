// V1: one plain double, in every translation unit.  A kernel's tail runs
// its template over V1, so the last few elements round exactly like the
// vector lanes.  Included by simd/vec.h, whose contract it meets.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_VEC_SCALAR_H_
#define ONDAVEL_SRC_KERNELS_SIMD_VEC_SCALAR_H_

#include <cmath>
#include <cstdint>
#include <cstring>

namespace ondavel::simd {

// Internal linkage: vec.h explains why.
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

// V1 for straight-line code over many doubles, which the compiler
// vectorises by itself: where the instruction set has fused multiply-adds
// (AVX-512F brings them without -mfma), GCC 12 joins products and the
// subtraction and addition they feed into one VFMADDSUB although
// -ffp-contract=off forbids it.  There each product is pinned in a register
// on its own, which that vectoriser cannot look through; elsewhere this is
// V1.  Only + - * are offered.
#if defined(__FMA__) || defined(__FMA4__) || defined(__AVX512F__)
struct UnfusedV1 {
  double v;
};
inline UnfusedV1 operator+(UnfusedV1 a, UnfusedV1 b) { return {a.v + b.v}; }
inline UnfusedV1 operator-(UnfusedV1 a, UnfusedV1 b) { return {a.v - b.v}; }
inline UnfusedV1 operator*(UnfusedV1 a, UnfusedV1 b) {
  double product = a.v * b.v;
  __asm__("" : "+x"(product));
  return {product};
}
#else
using UnfusedV1 = V1;
#endif

}  // namespace
}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_VEC_SCALAR_H_
