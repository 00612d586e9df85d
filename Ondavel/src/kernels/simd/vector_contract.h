// What every vector type of the kernels supplies, as concepts the compiler
// checks: simd/vec.h asserts them for every type a translation unit has, so
// a back-end that leaves an operation out, or gives it the wrong shape,
// does not build.  The lane semantics are those of x86 SSE2, which the
// scalar reference shares; tests/paths/vector_contract_test checks each
// operation lane by lane on every back-end.
//
// L is V::kLanes; "lane a" counts from 0 at the lowest address.  Rounding:
// every arithmetic operation rounds once, to nearest even, as one IEEE
// double operation; nothing is fused (a product is rounded before any sum
// that uses it).  "NaN" below is any unordered operand.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_VECTOR_CONTRACT_H_
#define ONDAVEL_SRC_KERNELS_SIMD_VECTOR_CONTRACT_H_

#include <concepts>

namespace ondavel::simd {

// Every vector type, one plain double (V1) included.
template <class V>
concept VectorOfDoubles = requires(V a, V b, typename V::Mask m,
                                   typename V::Mask n, const double* p,
                                   double* q, double x, V& re, V& im) {
  // L lanes of doubles; masks of L lanes, each all set or all clear.
  { V::kLanes } -> std::convertible_to<int>;
  // L doubles from p, any alignment.
  { V::Load(p) } -> std::same_as<V>;
  // L doubles to q, any alignment; nothing else written.
  {a.Store(q)};
  // x in every lane, bits as given (NaN payloads and -0 kept).
  { V::Set1(x) } -> std::same_as<V>;
  // +0 in every lane.
  { V::Zero() } -> std::same_as<V>;

  // + - * / and Sqrt: IEEE-rounded, never fused.  A NaN operand gives a NaN
  // whose payload is unspecified (the compiler may swap + and *).
  { a + b } -> std::same_as<V>;
  { a - b } -> std::same_as<V>;
  { a* b } -> std::same_as<V>;
  { a / b } -> std::same_as<V>;
  { Sqrt(a) } -> std::same_as<V>;  // Sqrt(-0) = -0, negative gives NaN
  // a + b rounded as +, operands kept in this order: where both are NaN the
  // result is a's NaN (quieted), bit for bit.
  { AddInOrder(a, b) } -> std::same_as<V>;

  // Bitwise on the 64 bits of each lane, NaN or not: a & b, ~a & b, |, ^.
  { AndBits(a, b) } -> std::same_as<V>;
  { AndNotBits(a, b) } -> std::same_as<V>;
  { OrBits(a, b) } -> std::same_as<V>;
  { XorBits(a, b) } -> std::same_as<V>;
  // The sign bit cleared (NaN too).
  { Abs(a) } -> std::same_as<V>;

  // Ordered compares, quiet: false where either operand is NaN; -0 == +0.
  { a < b } -> std::same_as<typename V::Mask>;
  { a <= b } -> std::same_as<typename V::Mask>;
  { a > b } -> std::same_as<typename V::Mask>;
  { a >= b } -> std::same_as<typename V::Mask>;
  { a == b } -> std::same_as<typename V::Mask>;
  // Lanes where a is NaN; where a or b is.
  { IsNan(a) } -> std::same_as<typename V::Mask>;
  { IsUnordered(a, b) } -> std::same_as<typename V::Mask>;
  // Lanes whose sign bit is set: negatives, -0, NaNs with the bit.
  { SignBitSet(a) } -> std::same_as<typename V::Mask>;
  // Mask logic, lane by lane: m & n, m | n, ~m & n, m ^ n.
  { m& n } -> std::same_as<typename V::Mask>;
  { m | n } -> std::same_as<typename V::Mask>;
  { AndNot(m, n) } -> std::same_as<typename V::Mask>;
  { m ^ n } -> std::same_as<typename V::Mask>;
  // Whether any, or all, of the L lanes are set.
  { Any(m) } -> std::same_as<bool>;
  { All(m) } -> std::same_as<bool>;
  // a's lane where m is set, b's elsewhere, bits unchanged.
  { Select(m, a, b) } -> std::same_as<V>;

  // x86 MINPD and MAXPD: a where a < b (a > b), else b, so the second
  // operand where they are unordered or equal (Min(+0, -0) = -0).
  { Min(a, b) } -> std::same_as<V>;
  { Max(a, b) } -> std::same_as<V>;

  // L complex values at p (re, im, re, im, ...): lane a of re and im takes
  // value a; in the descending form value L - 1 - a.
  LoadComplexSplit(p, re, im);
  LoadComplexSplitDescending(p, re, im);
};

// A vector of two lanes or more: every back-end's type.  A "run" is L
// complex values interleaved (re, im, ...) across two vectors lo, hi.
template <class V>
concept LaneVector = VectorOfDoubles<V> && VectorOfDoubles<typename V::Half> &&
                     (V::kLanes >= 2) &&
                     (2 * V::Half::kLanes == V::kLanes) &&
                     requires(V a, V lo, V hi, V& re, V& im, V& outLo, V& outHi,
                              V* rows, const V* rowsLo, const V* rowsHi,
                              V* columns, typename V::Half h) {
  // The run lo, hi split: lane a of re and im takes run value rev(a),
  // rev reversing the log2 L bits of the lane number.
  DeinterleaveReversed(lo, hi, re, im);
  // Its inverse without the reversal: value a of the run from lane a.
  InterleaveComplex(a, a, outLo, outHi);
  // rows[0 .. L-1] as an L x L matrix, transposed in place: lane j of
  // row i trades places with lane i of row j.
  TransposeLanes(rows);
  // columns[k] lane a = element 2k of row a, 0 <= k < L, row a being
  // the 2L doubles rowsLo[a], rowsHi[a].
  TransposeEvenElements(rowsLo, rowsHi, columns);
  // Lane L - 1 replaced by lane L - 2, the others kept.
  { RepeatBelowTop(a) } -> std::same_as<V>;
  // Halves (V1 for two lanes): Combine(lo, hi) puts lo in the low
  // lanes and hi in the high ones; LowerHalf, UpperHalf take them back.
  { Combine(h, h) } -> std::same_as<V>;
  { LowerHalf(a) } -> std::same_as<typename V::Half>;
  { UpperHalf(a) } -> std::same_as<typename V::Half>;
};

}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_VECTOR_CONTRACT_H_
