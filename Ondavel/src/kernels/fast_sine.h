// A sine for the butterfly passes' twiddles, inline and faster than the C
// library's, that returns the same double on every argument a pass can ask
// for (fast_sine_test proves that set bit for bit).
//
// Range: |x| <= pi (the double 3.141592653589793), which holds every pass
// argument.  Anything else, including NaN and infinities, gives NaN: the C
// library's sin would bring its own bits (and on some systems x87 code)
// back into the library.
//
// Method.  One kernel, sin(r) for 0 <= r <= pi/2, serves the whole range:
//   |x| <= pi/2        sin(|x|)
//   otherwise          sin(r + lo) = sin(r) + lo cos(r), r = pi_hi - |x|
// where pi = pi_hi + lo.  The subtraction is exact (Sterbenz: |x| >= pi_hi/2)
// and the product lo cos(r) is below 2^-52, so a short series suffices for
// cos(r).  The result gets the sign of x.  A single kernel matters for the
// vector form: every lane evaluates every kernel there is.
//
// The kernel is r + r^3 (kS3Hi + kS3Lo) + r^5 (kS5Hi + P(r^2)), P of degree
// 7 fitted for the relative error of the sine on [0, pi/2] (below 2^-69).
// The r^3 and r^5 terms reach 0.65 and 0.08 of the result near pi/2, so
// rounding them in plain doubles would cost a few tenths of an ulp; their
// leading parts are made exact instead.  r is cut (by clearing low bits)
// into a 10-bit head h: h^3 times the 14-bit kS3Hi and h^5 times the power
// of two kS5Hi are exact doubles, and both are added to r with error-free
// two-sums.  The rest (r^3 - h^3, r^5 - h^5, kS3Lo r^3 and r^5 P, whose
// constant term kS5Lo is 1/16 of 1/120) is a few hundredths of the result
// at most and is rounded in doubles, summed so that the longest chains
// come last.
//
// Accuracy against sinl: at most 0.513 ulp over 2^20 + 1 evenly spaced
// points of [-pi, pi], 2e7 random ones and 7e7 more in pi/4 .. 3pi/4,
// where the large terms peak.  It differs from the correctly rounded
// result on 0.05% of arguments (0.09% in that middle range); on the pass
// arguments it gives the C library's double (fast_sine_test).
//
// Only +, -, * on doubles, written in the order they must round: the result
// is the same on every instruction set as long as nothing is contracted into
// fused multiply-adds (the project builds with -ffp-contract=off).
//
// FastSineV evaluates the same function in every lane of a vector (simd/vec.h
// types): the kernel is the same template, instantiated for the vector, and
// the branch becomes a select, so each lane returns exactly FastSine's
// double.
#ifndef ONDAVEL_SRC_KERNELS_FAST_SINE_H_
#define ONDAVEL_SRC_KERNELS_FAST_SINE_H_

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "kernels/simd/vec.h"

namespace ondavel {

// Internal linkage: this header is compiled into every instruction-set
// file with different target flags, and the linker must never merge an
// AVX-encoded copy into a path meant for an older processor.
namespace {
namespace fast_sine_internal {

// pi as hi + lo, lo being what the double drops; pi_hi / 2.
inline constexpr double kPiHi = 3.141592653589793;
inline constexpr double kPiLo = 1.2246467991473532e-16;
inline constexpr double kHalfPiHi = 1.5707963267948966;

// A mask that keeps sign, exponent and the top 9 stored bits: the head of
// x in 10 significant bits, cut in one cheap operation.
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

// sin(r) = r + r^3 (kS3Hi + kS3Lo) + r^5 (kS5Hi + P(r^2)); kS3Hi has 14
// bits, kS5Hi is a power of two, P(0) = kS5Lo.
inline constexpr double kS3Hi = -0.1666717529296875;
inline constexpr double kS3Lo = 5.08626302083335e-06;
inline constexpr double kS5Hi = 0x1p-7;
inline constexpr double kS5Lo = 0.008333333333333333 - kS5Hi;  // exact
inline constexpr double kS7 = -0.00019841269841269784;
inline constexpr double kS9 = 2.755731922396697e-06;
inline constexpr double kS11 = -2.5052108381800772e-08;
inline constexpr double kS13 = 1.605904342957473e-10;
inline constexpr double kS15 = -7.64713671351005e-13;
inline constexpr double kS17 = 2.8104078034967946e-15;
inline constexpr double kS19 = -7.999805896657794e-18;

// A value carried as head + tail, tail a few ulps of head at most.
template <class T>
struct TwoPart {
  T head;
  T tail;
};

// sin(r) + shift for 0 <= r <= pi/2, shift below an ulp of the result.
template <class T>
[[gnu::always_inline]] inline TwoPart<T> SineParts(T r, T shift) {
  const auto c = [](double value) { return Splat<T>(value); };
  const T z = r * r;
  const T h = Truncated(r, kKeep10Bits);
  const T l = r - h;
  const T h2 = h * h;             // exact, 20 bits
  const T h3 = h2 * h;            // exact, 30 bits
  const T h5 = h3 * h2;           // exact, 50 bits
  const T lead3 = c(kS3Hi) * h3;  // exact, 44 bits
  const T lead5 = c(kS5Hi) * h5;  // exact, a power of two
  // Two error-free two-sums: r > |lead3|, head3 > lead5.
  const T head3 = r + lead3;
  const T error3 = (r - head3) + lead3;
  const T head = head3 + lead5;
  const T error5 = (head3 - head) + lead5;
  // What the exact heads leave out, rounded: r^3 - h^3 and r^5 - h^5 (the
  // latter scaled by kS5Hi, exactly, through its factors).
  const T cubeRest = l * ((z + r * h) + h2);
  const T fifthRest =
      cubeRest * (z * c(kS5Hi)) + (h3 * c(kS5Hi)) * (l * (r + h));
  const T cube = h3 + cubeRest;
  const T fifth = cube * z;
  // Estrin's scheme: a short dependency chain matters more than a multiply.
  const T z2 = z * z;
  const T poly =
      ((c(kS5Lo) + z * c(kS7)) + z2 * (c(kS9) + z * c(kS11))) +
      (z2 * z2) * ((c(kS13) + z * c(kS15)) + z2 * (c(kS17) + z * c(kS19)));
  // Summed as a tree, the latest operands last: error5 and the polynomial.
  const T early =
      (error3 + c(kS3Hi) * cubeRest) + (c(kS3Lo) * cube + fifthRest);
  return {head, (early + (error5 + shift)) + fifth * poly};
}

// lo cos(r) for the reduction from pi, 0 <= r <= pi/2: the series to r^6
// is within 0.001 of cos(r) there, far below an ulp of the result.  lo
// goes into the coefficients, for a shorter chain.
template <class T>
[[gnu::always_inline]] inline T PiLowShift(T r) {
  const auto c = [](double value) { return Splat<T>(value); };
  const T z = r * r;
  return (c(kPiLo) - z * c(kPiLo / 2.0)) +
         (z * z) * (c(kPiLo / 24.0) - z * c(kPiLo / 720.0));
}

}  // namespace fast_sine_internal

// sin(x) for |x| <= pi, within 0.515 ulp (see above); NaN elsewhere.
inline double FastSine(double x) {
  namespace fs = fast_sine_internal;
  const double a = std::fabs(x);
  double y;
  if (a <= fs::kHalfPiHi) {
    const fs::TwoPart<double> s = fs::SineParts(a, 0.0);
    y = s.head + s.tail;
  } else if (a <= fs::kPiHi) {
    // sin(a) = sin(pi - a) = sin(r + lo) = sin(r) + lo cos(r).
    const double r = fs::kPiHi - a;
    const fs::TwoPart<double> s = fs::SineParts(r, fs::PiLowShift(r));
    y = s.head + s.tail;
  } else {
    return std::numeric_limits<double>::quiet_NaN();  // out of range
  }
  // y >= 0 in both branches, so this also keeps the sign of a zero x.
  return std::copysign(y, x);
}

// FastSine in every lane of V, to the bit: the lanes of the first branch
// take +0 for the shift, as FastSine does; lanes out of range get NaN.
template <class V>
[[gnu::always_inline, gnu::flatten]] inline V FastSineV(V x) {
  namespace fs = fast_sine_internal;
  const V signBit = V::Set1(-0.0);
  const V a = simd::Abs(x);
  const auto nearZero = a <= V::Set1(fs::kHalfPiHi);
  const auto inRange = a <= V::Set1(fs::kPiHi);
  const V r = simd::Select(nearZero, a, V::Set1(fs::kPiHi) - a);
  const V shift = simd::Select(nearZero, V::Zero(), fs::PiLowShift(r));
  const fs::TwoPart<V> s = fs::SineParts(r, shift);
  const V y = s.head + s.tail;
  V result =
      simd::OrBits(simd::AndNotBits(signBit, y), simd::AndBits(signBit, x));
  if (!simd::All(inRange)) [[unlikely]] {
    result = simd::Select(inRange, result,
                          V::Set1(std::numeric_limits<double>::quiet_NaN()));
  }
  return result;
}

}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_FAST_SINE_H_
