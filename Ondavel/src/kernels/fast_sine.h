// A sine for the butterfly passes' twiddles, inline and faster than the C
// library's, that returns the same double on every argument a pass can ask
// for (fast_sine_test proves that set bit for bit).
//
// Range: |x| <= pi (the double 3.141592653589793).  Anything else, including
// NaN and infinities, falls back to std::sin.
//
// Method.  |x| is folded onto |r| <= pi/4 by comparisons, with pi and pi/2
// held as hi + lo so that r is exact to about 2^-105:
//   |x| <= pi/4        sin(|x|)
//   |x| <= 3pi/4       cos(r), r = (pi/2)_hi - |x| (exact), plus (pi/2)_lo
//   otherwise          sin(r), r = pi_hi - |x| (exact), plus pi_lo
// Each subtraction is exact because both operands are multiples of the ulp
// of |x| and the difference is below 1.  The result gets the sign of x.
//
// On |r| <= pi/4 the kernels are minimax polynomials (sin to degree 15,
// cos to degree 16; approximation error below 2^-66 and 2^-70 relative).
// Rounding the leading terms in plain doubles would cost about 0.1 ulp, so
// they are made exact instead: r is cut (by clearing low bits) into a short
// head h whose powers times a short leading coefficient are exact doubles
// (sin: 13 bits, 3*13 + 14 = 53; cos: 10 bits, 4*10 + 13 = 53), and the
// large terms are summed with an error-free two-sum.  The rest, r^3 - h^3
// (or r^2 - h^2, r^4 - h^4) and the higher powers, is rounded in doubles.
// For sin its r^5 term (up to 0.0035 of the result) is what costs the last
// 0.01 ulp; making it exact too would take about 40% more work.
//
// Accuracy against sinl: at most 0.5132 ulp over 2^21 + 1 evenly spaced
// points of [-pi, pi], 2e7 random ones and 6e7 more in the worst regions
// (the bound from the analysis is about 0.515).  The worst cases are sines
// with r near pi/4; the cosine branch stays below 0.503.  It differs from
// the correctly rounded result on about 0.04% of arguments; the C library's
// sin measures up to 0.5146 on the same sweep.
//
// Only +, -, * on doubles, written in the order they must round: the result
// is the same on every instruction set as long as nothing is contracted into
// fused multiply-adds (the project builds with -ffp-contract=off).
//
// FastSineV evaluates the same function in every lane of a vector (simd/vec.h
// types): the kernels are the same templates, instantiated for the vector,
// and the branches become selects between the values of all of them, so
// each lane returns exactly FastSine's double.
#ifndef ONDAVEL_SRC_KERNELS_FAST_SINE_H_
#define ONDAVEL_SRC_KERNELS_FAST_SINE_H_

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "kernels/simd/vec.h"

namespace ondavel {

// Internal linkage: this header is compiled into every instruction-set
// file with different target flags, and the linker must never merge an
// AVX-encoded copy into a path meant for an older processor.
namespace {
namespace fast_sine_internal {

// pi and pi/2 as hi + lo, lo being what the double drops.
inline constexpr double kPiHi = 3.141592653589793;
inline constexpr double kPiLo = 1.2246467991473532e-16;
inline constexpr double kHalfPiHi = 1.5707963267948966;
inline constexpr double kHalfPiLo = 6.123233995736766e-17;
inline constexpr double kQuarterPi = 0.7853981633974483;
inline constexpr double kThreeQuarterPi = 2.356194490192345;

// Masks that keep sign, exponent and the top 12 (or 9) stored bits: the
// head of x in 13 (or 10) significant bits, cut in one cheap operation.
inline constexpr uint64_t kKeep13Bits = 0xFFFFFF0000000000u;
inline constexpr uint64_t kKeep10Bits = 0xFFFFF80000000000u;

// A constant as a double or in every lane of a vector.
template <class T>
inline T Splat(double c) {
  if constexpr (std::is_same_v<T, double>) {
    return c;
  } else {
    return T::Set1(c);
  }
}

inline double Truncated(double x, uint64_t mask) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits &= mask;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

template <class V>
inline V Truncated(V x, uint64_t mask) {
  return simd::AndBits(x, V::Set1(simd::DoubleOf(mask)));
}

// sin(r) = r + r^3 (kS3Hi + kS3Lo + r^2 P(r^2)); kS3Hi has 14 bits.
inline constexpr double kS3Hi = -0.1666717529296875;
inline constexpr double kS3Lo = 5.086263020833345e-06;
inline constexpr double kS5 = 0.008333333333333331;
inline constexpr double kS7 = -0.00019841269841265063;
inline constexpr double kS9 = 2.7557319219337054e-06;
inline constexpr double kS11 = -2.505210623165742e-08;
inline constexpr double kS13 = 1.6058531486531848e-10;
inline constexpr double kS15 = -7.586688955938338e-13;

// cos(r) = 1 - r^2/2 + r^4 (kC4Hi + kC4Lo + r^2 Q(r^2)); kC4Hi has 13 bits.
inline constexpr double kC4Hi = 0.04166412353515625;
inline constexpr double kC4Lo = 2.543131510416666e-06;
inline constexpr double kC6 = -0.0013888888888888887;
inline constexpr double kC8 = 2.4801587301584645e-05;
inline constexpr double kC10 = -2.755731922140156e-07;
inline constexpr double kC12 = 2.0876755790613325e-09;
inline constexpr double kC14 = -1.147046080996356e-11;
inline constexpr double kC16 = 4.745867147858165e-14;

// A value carried as head + tail, tail a few ulps of head at most.
template <class T>
struct TwoPart {
  T head;
  T tail;
};

// sin(r) for 0 <= r <= pi/4.
template <class T>
inline TwoPart<T> SineParts(T r) {
  const auto c = [](double value) { return Splat<T>(value); };
  const T z = r * r;
  const T h = Truncated(r, kKeep13Bits);
  const T l = r - h;
  const T h2 = h * h;  // exact, 26 bits
  // Exact: 27 bits times 26, one multiply shorter than kS3Hi * (h2 * h).
  const T lead = (c(kS3Hi) * h) * h2;
  const T head = r + lead;  // r > |lead|
  const T headError = (r - head) + lead;
  const T cubeRest = l * ((z + r * h) + h2);  // r^3 - h^3
  // Estrin's scheme: these terms are small, a short dependency chain matters.
  const T z2 = z * z;
  const T poly = ((c(kS5) + z * c(kS7)) + z2 * (c(kS9) + z * c(kS11))) +
                 (z2 * z2) * (c(kS13) + z * c(kS15));
  // h^3 + cubeRest is r^3 with one rounding, better than z * r.
  const T rest =
      c(kS3Hi) * cubeRest + ((h2 * h) + cubeRest) * (c(kS3Lo) + z * poly);
  return {head, headError + rest};
}

// cos(r + lo) for |r| <= pi/4 and |lo| <= 2^-52.
template <class T>
inline TwoPart<T> CosineParts(T r, T lo) {
  const auto c = [](double value) { return Splat<T>(value); };
  const T z = r * r;
  const T h = Truncated(r, kKeep10Bits);
  const T l = r - h;
  const T h2 = h * h;                    // exact, 20 bits
  const T lead2 = c(-0.5) * h2;          // exact
  const T lead4 = c(kC4Hi) * (h2 * h2);  // exact, 40 + 13 bits
  const T sum2 = c(1.0) + lead2;         // 1 > |lead2|
  const T error2 = (c(1.0) - sum2) + lead2;
  const T head = sum2 + lead4;  // sum2 > lead4
  const T error4 = (sum2 - head) + lead4;
  const T squareRest = l * (r + h);             // r^2 - h^2
  const T quarticRest = squareRest * (z + h2);  // r^4 - h^4
  const T z2 = z * z;
  const T poly = (c(kC6) + z * c(kC8)) +
                 z2 * ((c(kC10) + z * c(kC12)) + z2 * (c(kC14) + z * c(kC16)));
  // cos(r + lo) = cos(r) - lo sin(r); lo r^7 / 5040 is far below an ulp.
  const T shift = lo * (r - (z * r) * (c(1.0 / 6.0) - z * c(1.0 / 120.0)));
  const T rest = (c(kC4Hi) * quarticRest - c(0.5) * squareRest) +
                 (z2 * (c(kC4Lo) + z * poly) - shift);
  return {head, (error2 + error4) + rest};
}

// lo cos(r) for the reduction from pi: sin(pi - a) = sin(r) + lo cos(r).
template <class T>
inline T PiLowShift(T r) {
  const auto c = [](double value) { return Splat<T>(value); };
  const T z = r * r;
  return c(kPiLo) * (c(1.0) - z * (c(0.5) - z * c(1.0 / 24.0)));
}

}  // namespace fast_sine_internal

// sin(x) for |x| <= pi, within 0.515 ulp (see above); std::sin elsewhere.
inline double FastSine(double x) {
  namespace fs = fast_sine_internal;
  const double a = std::fabs(x);
  double y;
  if (a <= fs::kQuarterPi) {
    const fs::TwoPart<double> s = fs::SineParts(a);
    y = s.head + s.tail;
  } else if (a <= fs::kThreeQuarterPi) {
    // sin(a) = cos(pi/2 - a).
    const fs::TwoPart<double> c =
        fs::CosineParts(fs::kHalfPiHi - a, fs::kHalfPiLo);
    y = c.head + c.tail;
  } else if (a <= fs::kPiHi) {
    // sin(a) = sin(pi - a) = sin(r + lo) = sin(r) + lo cos(r).
    const double r = fs::kPiHi - a;
    const fs::TwoPart<double> s = fs::SineParts(r);
    y = s.head + (s.tail + fs::PiLowShift(r));
  } else {
    return std::sin(x);  // out of range, infinite or NaN
  }
  // y >= 0 in every branch, so this also keeps the sign of a zero x.
  return std::copysign(y, x);
}

// FastSine in every lane of V, to the bit.  Every lane evaluates both
// kernels (the first and third branch share the sine kernel, on the
// argument each needs) and keeps its branch's value; lanes out of range go
// to std::sin one by one.
template <class V>
[[gnu::always_inline, gnu::flatten]] inline V FastSineV(V x) {
  namespace fs = fast_sine_internal;
  const V signBit = V::Set1(-0.0);
  const V a = simd::Abs(x);
  const auto nearZero = a <= V::Set1(fs::kQuarterPi);
  const auto nearHalfPi =
      simd::AndNot(nearZero, a <= V::Set1(fs::kThreeQuarterPi));
  const auto inRange = a <= V::Set1(fs::kPiHi);

  const V r = simd::Select(nearZero, a, V::Set1(fs::kPiHi) - a);
  const fs::TwoPart<V> s = fs::SineParts(r);
  const V fromSine = simd::Select(nearZero, s.head + s.tail,
                                  s.head + (s.tail + fs::PiLowShift(r)));
  const fs::TwoPart<V> c =
      fs::CosineParts(V::Set1(fs::kHalfPiHi) - a, V::Set1(fs::kHalfPiLo));
  const V y = simd::Select(nearHalfPi, c.head + c.tail, fromSine);
  V result =
      simd::OrBits(simd::AndNotBits(signBit, y), simd::AndBits(signBit, x));
  if (!simd::All(inRange)) [[unlikely]] {
    double lanes[V::kLanes];
    double out[V::kLanes];
    x.Store(lanes);
    result.Store(out);
    for (int i = 0; i < V::kLanes; ++i) {
      if (!(std::fabs(lanes[i]) <= fs::kPiHi)) out[i] = std::sin(lanes[i]);
    }
    result = V::Load(out);
  }
  return result;
}

}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_FAST_SINE_H_
