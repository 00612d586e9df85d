// The two-argument arctangent atan2(y, x) over the vector types of
// simd/vec.h: the same sequence of IEEE operations at every width, so every
// path (V1 included) returns the same bits for the same operands.
//
// Method, all without fused multiply-add:
//  1. num = min(|x|, |y|), den = max(|x|, |y|), so t = num / den <= 1.
//     Infinite operands become the ratio of their limit (1/1 for two, 0/1
//     for one), two zeros 0/1.  Both are scaled by 2^600 or 2^-600, so the
//     steps below neither overflow nor underflow.
//  2. For t > tan(pi/8), atan(t) = pi/4 + atan((t - 1)/(t + 1)); numerator
//     and denominator are formed exactly as double-doubles, so the reduced
//     ratio q has |q| <= tan(pi/8).
//  3. One division gives q roughly; its top 26 bits times the denominator
//     split 26 + 27 bits make an exact product, so the remainder, times the
//     reciprocal, gives a correction qTail with q + qTail good to 2^-76.
//     For t < 2^-300 (where scaled operands may lose bits) q is the
//     correctly rounded num / den instead, which is then the faithful
//     answer (subnormal angles included).
//  4. atan(q + qTail) = q - q^3/3 + q^5 R(q^2) + qTail (1 - q^2), where
//     -1/3 + s R(s) is a degree 10 relative minimax polynomial on
//     [0, 0.4143^2] (leading coefficient fixed to the double nearest -1/3,
//     the others rounded to double and refitted one by one; approximation
//     error below 1.7e-18 of atan(q)), evaluated by Estrin's scheme.  The
//     -q^3/3 term is rounded alone so the rest's errors shrink with it.
//  5. The octant adds k pi/4 (k = 0 .. 4; pi/4 as a double-double whose high
//     part times 3 is exact) with an exact two-sum; all small terms are
//     summed first and the result is rounded once.  The sign of y is put on
//     last, so atan2(-0, x) gives -0 and -pi where std::atan2 does.
//
// Vectors whose lanes are all ordinary (num >= 2^-150 and den <= 2^150:
// any real spectrum's bins but exact zeros) skip the scaling and the
// special cases, which cannot change their bits.
//
// Error: at most 0.5 ULP for the final rounding plus about 0.15 ULP for the
// small terms (the polynomial's are at most 6% of the result).  Measured:
// at most 0.70 ULP against long double atan2l over 100 million operand
// pairs in ten ranges (atan2_error_sweep; 0.67 in the default test).
// Special operands give exactly std::atan2's bits: signed zeros,
// infinities, and NaN (x quieted if x is NaN, else y quieted).
#ifndef ONDAVEL_SRC_KERNELS_ATAN2_SIMD_H_
#define ONDAVEL_SRC_KERNELS_ATAN2_SIMD_H_

#include <bit>
#include <cstdint>
#include <limits>

#include "kernels/simd/vec.h"

namespace ondavel::simd {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace atan2_internal {

// Polynomial P(s) ~ (atan(sqrt s) - sqrt s) / s^1.5.
inline constexpr double kP0 = -0x1.5555555555555p-2;
inline constexpr double kP1 = 0x1.999999999825ap-3;
inline constexpr double kP2 = -0x1.24924923877ffp-3;
inline constexpr double kP3 = 0x1.c71c712f3c8edp-4;
inline constexpr double kP4 = -0x1.745d001a43c2ap-4;
inline constexpr double kP5 = 0x1.3b118ca924e2dp-4;
inline constexpr double kP6 = -0x1.10f0627760b35p-4;
inline constexpr double kP7 = 0x1.df4da95b23880p-5;
inline constexpr double kP8 = -0x1.9dd714fc0adc6p-5;
inline constexpr double kP9 = 0x1.3a3ea0b97f445p-5;
inline constexpr double kP10 = -0x1.2a5e022b40398p-6;

// pi/4 = kQuarterPiHi + kQuarterPiLo; the high part has 50 significant bits.
inline constexpr double kQuarterPiHi = 0x1.921fb54442d18p-1;
inline constexpr double kQuarterPiLo = 0x1.1a62633145c07p-55;
inline constexpr double kTanEighthPi = 0x1.a827999fcef32p-2;
// Sign, exponent and the top 25 stored mantissa bits.
inline constexpr double kInfinity = std::numeric_limits<double>::infinity();
inline constexpr double kTop26Bits = std::bit_cast<double>(0xFFFFFFFFF8000000u);

// P(s) - kP0 over s, by Estrin's scheme (shallow, for latency).
template <class V>
[[gnu::always_inline]] inline V PolynomialRest(V s) {
  const V s2 = s * s;
  const V s4 = s2 * s2;
  const V s8 = s4 * s4;
  const V p12 = V::Set1(kP1) + V::Set1(kP2) * s;
  const V p34 = V::Set1(kP3) + V::Set1(kP4) * s;
  const V p56 = V::Set1(kP5) + V::Set1(kP6) * s;
  const V p78 = V::Set1(kP7) + V::Set1(kP8) * s;
  const V p910 = V::Set1(kP9) + V::Set1(kP10) * s;
  return ((p12 + p34 * s2) + (p56 + p78 * s2) * s4) + p910 * s8;
}

// The angle from num = min(|x|, |y|) and den = max(|x|, |y|).  kGeneral:
// any operands (steps 1 and 3's extreme case, NaN); otherwise only lanes
// where both are finite, den lies in [2^-500, 2^500] and num >= den 2^-300,
// which need no scaling (every intermediate stays normal, and a power-of-two
// scale changes no rounding there, so both variants give the same bits).
template <bool kGeneral, class V>
[[gnu::always_inline]] inline V Atan2Reduced(V y, V x, V num, V den,
                                             typename V::Mask swap) {
  using Mask = typename V::Mask;
  const V zero = V::Zero();
  const V one = V::Set1(1.0);
  const V negativeZero = V::Set1(-0.0);

  V ns = num;
  V ds = den;
  Mask reduce;
  if constexpr (kGeneral) {
    const V infinity = V::Set1(kInfinity);
    // The scale (and the reduction threshold with it) from den before the
    // special cases below, which only need some power of two: shorter chain.
    const Mask small = den < one;
    const V scale = Select(small, V::Set1(0x1p600), V::Set1(0x1p-600));
    const V scaledTan = Select(small, V::Set1(kTanEighthPi * 0x1p600),
                               V::Set1(kTanEighthPi * 0x1p-600));
    const Mask infinite = den == infinity;
    num = Select(infinite, Select(num == infinity, one, zero), num);
    den = Select(infinite | (den == zero), one, den);  // 0/0 becomes 0/1
    ns = num * scale;
    ds = den * scale;
    reduce = ns > scaledTan * den;
  } else {
    reduce = num > V::Set1(kTanEighthPi) * den;
  }

  // (num - den) / (num + den) with both operands exact as double-doubles;
  // den >= num, so each two-sum needs three operations.
  const V diffHi = ns - ds;
  const V diffLo = ns - (diffHi + ds);
  const V sumHi = ds + ns;
  const V sumLo = ns - (sumHi - ds);
  const V nHi = Select(reduce, diffHi, ns);
  const V nLo = Select(reduce, diffLo, zero);
  const V dHi = Select(reduce, sumHi, ds);
  const V dLo = Select(reduce, sumLo, zero);

  // The quotient as q + qTail, good to 2^-76.  q need not be rounded
  // correctly: qHi, its top 26 bits, times dHi cut into 26 + 27 bits gives
  // two exact partial products, the first cancelling exactly against nHi,
  // so the remainder is nearly exact.  The polynomial needs only q and runs
  // alongside.
  const V inverse = one / dHi;
  V q = nHi * inverse;
  const V qHi = AndBits(q, V::Set1(kTop26Bits));
  const V dTop = AndBits(dHi, V::Set1(kTop26Bits));
  const V remainder =
      (nHi - qHi * dTop) - (qHi * (dHi - dTop) + (qHi * dLo - nLo));
  V qTail = (qHi - q) + remainder * inverse;
  if constexpr (kGeneral) {
    // Below 2^-300 the scaled operands may have lost bits and atan(t)
    // rounds like t: the correctly rounded quotient of the operands.
    const Mask extreme = ns < ds * V::Set1(0x1p-300);
    if (Any(extreme)) {
      q = Select(extreme, num / den, q);
      qTail = Select(extreme, zero, qTail);
    }
  }

  // theta = k pi/4 + sign atan(q): k from the octant, sign -1 where exactly
  // one of "swapped" and "x negative" holds.
  const Mask xNegative = SignBitSet(x);
  const Mask flip = swap ^ xNegative;
  const V sign = Select(flip, V::Set1(-1.0), one);
  const V octantBase =
      Select(swap, V::Set1(2.0), Select(xNegative, V::Set1(4.0), zero));
  const V k = octantBase + Select(reduce, sign, zero);
  const V baseHi = k * V::Set1(kQuarterPiHi);
  const V baseLo = k * V::Set1(kQuarterPiLo);

  // sign atan(q + qTail) - sign q: the -q^3/3 term alone, then the smaller
  // rest, so the rounding errors of the rest shrink with it; qTail / (1 + s)
  // to two terms.  Everything but the polynomial's rest is summed while the
  // polynomial is evaluated.
  const V signedQ = sign * q;
  const V signedTail = sign * qTail;
  const V s = q * q;
  const V cube = signedQ * s;
  const V head = baseHi + signedQ;  // |baseHi| > |q| or baseHi == 0
  const V headError = signedQ - (head - baseHi);
  const V smallTerms = ((headError + baseLo) + (signedTail - signedTail * s)) +
                       cube * V::Set1(kP0);
  const V theta = head + (smallTerms + (cube * s) * PolynomialRest(s));

  // The sign of y; NaN as std::atan2 gives it: x's if x is NaN, else y's.
  const V result = OrBits(theta, AndBits(y, negativeZero));
  if constexpr (kGeneral) {
    return Select(IsUnordered(x, y), AddInOrder(x, y), result);
  } else {
    return result;
  }
}

// Two vectors as one for the ordinary variant: each operation is applied
// to both in turn, so the two dependency chains (the division and the
// remainder after it are long and serial) interleave and the core always
// has independent work; every lane's operations are those of one vector.
template <class M>
struct TwinMask {
  M a, b;
};
template <class M>
[[gnu::always_inline]] inline TwinMask<M> operator^(TwinMask<M> m,
                                                    TwinMask<M> n) {
  return {m.a ^ n.a, m.b ^ n.b};
}
template <class V>
struct Twin {
  using Mask = TwinMask<typename V::Mask>;
  V a, b;

  [[gnu::always_inline]] static Twin Set1(double x) {
    const V v = V::Set1(x);
    return {v, v};
  }
  [[gnu::always_inline]] static Twin Zero() { return {V::Zero(), V::Zero()}; }
};
template <class V>
[[gnu::always_inline]] inline Twin<V> operator+(Twin<V> u, Twin<V> w) {
  return {u.a + w.a, u.b + w.b};
}
template <class V>
[[gnu::always_inline]] inline Twin<V> operator-(Twin<V> u, Twin<V> w) {
  return {u.a - w.a, u.b - w.b};
}
template <class V>
[[gnu::always_inline]] inline Twin<V> operator*(Twin<V> u, Twin<V> w) {
  return {u.a * w.a, u.b * w.b};
}
template <class V>
[[gnu::always_inline]] inline Twin<V> operator/(Twin<V> u, Twin<V> w) {
  return {u.a / w.a, u.b / w.b};
}
template <class V>
[[gnu::always_inline]] inline typename Twin<V>::Mask operator>(Twin<V> u,
                                                               Twin<V> w) {
  return {u.a > w.a, u.b > w.b};
}
template <class V>
[[gnu::always_inline]] inline Twin<V> AndBits(Twin<V> u, Twin<V> w) {
  return {AndBits(u.a, w.a), AndBits(u.b, w.b)};
}
template <class V>
[[gnu::always_inline]] inline Twin<V> OrBits(Twin<V> u, Twin<V> w) {
  return {OrBits(u.a, w.a), OrBits(u.b, w.b)};
}
template <class V>
[[gnu::always_inline]] inline typename Twin<V>::Mask SignBitSet(Twin<V> u) {
  return {SignBitSet(u.a), SignBitSet(u.b)};
}
template <class V>
[[gnu::always_inline]] inline Twin<V> Select(typename Twin<V>::Mask m,
                                             Twin<V> yes, Twin<V> no) {
  return {Select(m.a, yes.a, no.a), Select(m.b, yes.b, no.b)};
}

// Step 1's operands of Atan2 and whether the ordinary variant serves them.
template <class V>
struct Operands {
  V num, den;
  typename V::Mask swap, ordinary;
};

template <class V>
[[gnu::always_inline]] inline Operands<V> OperandsOf(V y, V x) {
  // NaN lanes get garbage here and are replaced at the end.
  const V ax = Abs(x);
  const V ay = Abs(y);
  // Min and Max return their second operand where the two are unordered,
  // so a NaN x shows in num and a NaN y in den; the ordered comparisons
  // below are false for both, and for infinities.
  const V num = Min(ay, ax);
  const V den = Max(ax, ay);
  // Two bounds that imply the ordinary variant's (den >= num >= 2^-150,
  // num >= 2^-150 >= den 2^-300), cheaper than testing those themselves.
  return {num, den, ay > ax,
          (num >= V::Set1(0x1p-150)) & (den <= V::Set1(0x1p150))};
}

template <class V>
[[gnu::always_inline]] inline V Atan2Of(V y, V x, const Operands<V>& o) {
  if (All(o.ordinary)) return Atan2Reduced<false>(y, x, o.num, o.den, o.swap);
  return Atan2Reduced<true>(y, x, o.num, o.den, o.swap);
}

}  // namespace atan2_internal

template <class V>
[[gnu::always_inline]] inline V Atan2(V y, V x) {
  return atan2_internal::Atan2Of(y, x, atan2_internal::OperandsOf(y, x));
}

// Atan2(y0, x0) and Atan2(y1, x1), bit for bit, faster where both vectors
// are ordinary: their operations then interleave.
template <class V>
[[gnu::always_inline]] inline void Atan2Pair(V y0, V x0, V y1, V x1, V& angle0,
                                             V& angle1) {
  using atan2_internal::Twin;
  const auto o0 = atan2_internal::OperandsOf(y0, x0);
  const auto o1 = atan2_internal::OperandsOf(y1, x1);
  if (All(o0.ordinary & o1.ordinary)) {
    const Twin<V> angles = atan2_internal::Atan2Reduced<false>(
        Twin<V>{y0, y1}, Twin<V>{x0, x1}, Twin<V>{o0.num, o1.num},
        Twin<V>{o0.den, o1.den}, {o0.swap, o1.swap});
    angle0 = angles.a;
    angle1 = angles.b;
    return;
  }
  angle0 = atan2_internal::Atan2Of(y0, x0, o0);
  angle1 = atan2_internal::Atan2Of(y1, x1, o1);
}

}  // namespace
}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_ATAN2_SIMD_H_
