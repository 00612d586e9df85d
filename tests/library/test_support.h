// Shared helpers for the library tests: constants as the library defines
// them, window values, a long double DFT, buffers filled with a sentinel.
#ifndef TESTS_LIBRARY_TEST_SUPPORT_H_
#define TESTS_LIBRARY_TEST_SUPPORT_H_

#include <Ondavel.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "Ondavel/src/cosine.h"

namespace ondavel_test {

// The doubles nearest to pi and 2 pi, as the library uses them.
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr long double kTwoPiLong =
    6.28318530717958647692528676655900577L;
inline constexpr double kEpsilon = 0x1p-52;

// A quiet NaN with a payload no arithmetic produces: marks unwritten doubles.
inline constexpr uint64_t kSentinelBits = 0x7FF8DEADBEEF5A5AULL;
inline double Sentinel() { return std::bit_cast<double>(kSentinelBits); }
inline bool IsSentinel(double v) {
  return std::bit_cast<uint64_t>(v) == kSentinelBits;
}
inline uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }

// Cosine-sum window coefficients: W = (a0 - a1 c1 + a2 c2 - a3 c3) / d.
struct WindowCoefficients {
  double a0, a1, a2, a3, d;
};

inline WindowCoefficients CoefficientsOf(uint32_t type) {
  static constexpr WindowCoefficients kTable[] = {
      {1.0, 0.0, 0.0, 0.0, 1.0},                          // rectangular
      {1.0, 1.0, 0.0, 0.0, 2.0},                          // 1 Hann
      {0.54, 0.46, 0.0, 0.0, 1.0},                        // 2 Hamming
      {0.375, 0.5, 0.125, 0.0, 1.0},                      // 3
      {0.42, 0.5, 0.08, 0.0, 1.0},                        // 4 Blackman
      {0.40897, 0.5, 0.09103, 0.0, 1.0},                  // 5
      {7938.0, 9240.0, 1430.0, 0.0, 18608.0},             // 6
      {0.4243801, 0.4973406, 0.0782793, 0.0, 1.0},        // 7
      {10.0, 15.0, 6.0, 1.0, 32.0},                       // 8
      {0.338946, 0.481973, 0.161054, 0.018027, 1.0},      // 9
      {0.355768, 0.487396, 0.144232, 0.012604, 1.0},      // 10
      {0.35875, 0.48829, 0.14128, 0.01168, 1.0},          // 11
      {0.3635819, 0.4891775, 0.1365995, 0.0106411, 1.0},  // 12
      {0.762, 1.0, 0.238, 0.0, 0.762},                    // 13
  };
  return type <= 13 ? kTable[type] : kTable[0];
}

// Window value of input element n, rounded step by step in the defined order,
// from correctly rounded cosines.
inline double WindowValue(uint32_t type, int n, int length) {
  const WindowCoefficients c = CoefficientsOf(type);
  const double x = (static_cast<double>(n) * kTwoPi) / length;
  const double c1 = ondavel::Cosine(x);
  const double c2 = ondavel::Cosine(x + x);
  const double c3 = ondavel::Cosine(x * 3.0);
  return (((c.a0 - c.a1 * c1) + c.a2 * c2) - c.a3 * c3) / c.d;
}

// The same window from the mathematical definition, in long double.
inline long double WindowValueLong(uint32_t type, int n, int length) {
  const WindowCoefficients c = CoefficientsOf(type);
  const long double x = kTwoPiLong * n / length;
  return (c.a0 - c.a1 * std::cos(x) + c.a2 * std::cos(2 * x) -
          c.a3 * std::cos(3 * x)) /
         c.d;
}

struct ComplexLong {
  long double re = 0;
  long double im = 0;
};

// X_k = sum_n taper_n x_n e^(sign 2 pi i nk/N), x interleaved as the library
// lays it out; an empty taper means none.  Angles are reduced exactly
// (nk mod N) before the long double sine and cosine.
inline std::vector<ComplexLong> NaiveDft(
    const std::vector<double>& x, int sign,
    const std::vector<long double>& taper = {}) {
  const int n_points = static_cast<int>(x.size() / 2);
  std::vector<long double> cosine(n_points), sine(n_points);
  for (int j = 0; j < n_points; ++j) {
    const long double angle = kTwoPiLong * j / n_points;
    cosine[j] = std::cos(angle);
    sine[j] = sign * std::sin(angle);
  }
  std::vector<ComplexLong> spectrum(n_points);
  for (int k = 0; k < n_points; ++k) {
    long double re = 0, im = 0;
    for (int n = 0; n < n_points; ++n) {
      const int j = static_cast<int>(static_cast<int64_t>(n) * k % n_points);
      const long double t = taper.empty() ? 1.0L : taper[n];
      const long double xr = t * x[2 * n], xi = t * x[2 * n + 1];
      re += xr * cosine[j] - xi * sine[j];
      im += xr * sine[j] + xi * cosine[j];
    }
    spectrum[k] = {re, im};
  }
  return spectrum;
}

inline long double MaxMagnitude(const std::vector<ComplexLong>& v) {
  long double m = 0;
  for (const ComplexLong& z : v) m = std::max(m, std::hypot(z.re, z.im));
  return m;
}

// Largest |actual_k - expected_k| over the values, in long double.
inline long double MaxError(const std::vector<double>& actual,
                            const std::vector<ComplexLong>& expected) {
  long double m = 0;
  for (size_t k = 0; k < expected.size(); ++k) {
    m = std::max(m, std::hypot(actual[2 * k] - expected[k].re,
                               actual[2 * k + 1] - expected[k].im));
  }
  return m;
}

inline std::vector<double> RandomValues(size_t count, uint64_t seed,
                                        double low = -1.0, double high = 1.0) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> uniform(low, high);
  std::vector<double> v(count);
  for (double& x : v) x = uniform(rng);
  return v;
}

inline int Log2(int length) {
  return std::countr_zero(static_cast<unsigned>(length));
}

struct Flags {
  unsigned char apply_window;
  unsigned char normalize_forward;
  unsigned char forward;
};

// The eight flag combinations, with `truth` as the byte for "set".
inline std::vector<Flags> AllFlagCombinations(unsigned char truth = 1) {
  std::vector<Flags> all;
  for (int bits = 0; bits < 8; ++bits) {
    all.push_back({static_cast<unsigned char>(bits & 1 ? truth : 0),
                   static_cast<unsigned char>(bits & 2 ? truth : 0),
                   static_cast<unsigned char>(bits & 4 ? truth : 0)});
  }
  return all;
}

// Runs the transform into a destination that starts as all sentinels.
inline std::vector<double> Transform(const std::vector<double>& source,
                                     Flags flags) {
  std::vector<double> destination(source.size(), Sentinel());
  Ondavel_Process(source.data(), destination.data(), flags.apply_window,
                  flags.normalize_forward, flags.forward);
  return destination;
}

// Sets the engine up for the lifetime of the object.
class ScopedEngine {
 public:
  ScopedEngine(int32_t length, uint32_t window_type) {
    Ondavel_Construction(length, window_type);
  }
  ~ScopedEngine() { Ondavel_Destruction(); }
  ScopedEngine(const ScopedEngine&) = delete;
  ScopedEngine& operator=(const ScopedEngine&) = delete;
};

}  // namespace ondavel_test

#endif  // TESTS_LIBRARY_TEST_SUPPORT_H_
