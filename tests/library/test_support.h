// Shared helpers for the library tests: constants as the library defines
// them, a long double DFT, buffers filled with a sentinel; the window values
// come from window_oracle.h, the random values from the shared generator.
#ifndef TESTS_LIBRARY_TEST_SUPPORT_H_
#define TESTS_LIBRARY_TEST_SUPPORT_H_

#include <Ondavel.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/library/window_oracle.h"
#include "tests/support/seeded_random.h"

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
