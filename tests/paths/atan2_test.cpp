// The vector arctangent: special operands give exactly the angles atan2's
// rules fix, the error stays below 1 ULP of the true angle (judged by long
// double atan2l), and every back-end returns the same bits as the one-double
// version.
//
// Built twice: as atan2_test (a few million operand pairs, run by ctest)
// and, with ONDAVEL_ATAN2_SWEEP, as atan2_error_sweep (tens of millions,
// run by hand; prints the maximum error per operand range).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "backend_harness.h"
#include "backend_test_hooks.h"
#include "kernels/atan2_paths.h"

namespace ondavel {
namespace {

#if defined(ONDAVEL_ATAN2_SWEEP)
constexpr size_t kPairsPerRange = 10'000'000;
#elif defined(__SANITIZE_ADDRESS__)
constexpr size_t kPairsPerRange = 30'000;
#else
constexpr size_t kPairsPerRange = 300'000;
#endif
// Odd, so every back-end also runs its one-double tail.
constexpr size_t kChunk = 4093;

using Limits = std::numeric_limits<double>;

double Atan2One(double y, double x) {
  return simd::Atan2(simd::V1{y}, simd::V1{x}).v;
}

// |got - atan2(y, x)| in units of the last place of the true value (subnormal
// spacing below the normal range), with atan2l's 64-bit result as the truth.
double UlpError(double got, double y, double x) {
  const long double truth = atan2l(y, x);
  int exponent = Limits::min_exponent;
  if (truth != 0.0L) std::frexp(std::fabs(truth), &exponent);
  const long double ulp = std::ldexp(
      1.0L, std::max(exponent, Limits::min_exponent) - Limits::digits);
  return static_cast<double>(std::fabs(static_cast<long double>(got) - truth) /
                             ulp);
}

// Operands where atan2 has an exact rule, or whose result is a constant:
// signed zeros, subnormals, the angle guard of the measures, the extremes,
// infinities and NaN of both signs with payloads (one signalling).
std::vector<double> SpecialOperands() {
  const double magnitudes[] = {0.0,
                               Limits::denorm_min(),
                               3.0 * Limits::denorm_min(),
                               Limits::min() / 3.0,
                               Limits::min(),
                               3.4e-38,
                               std::nextafter(3.4e-38, 0.0),
                               0.5,
                               1.0,
                               1.0 + Limits::epsilon(),
                               0x1p600,
                               Limits::max(),
                               Limits::infinity()};
  std::vector<double> values;
  for (double m : magnitudes) {
    values.push_back(m);
    values.push_back(-m);
  }
  values.push_back(QuietNan(1, false));
  values.push_back(QuietNan(2, true));
  values.push_back(std::bit_cast<double>(uint64_t{0x7FF0000000000003u}));
  return values;
}

// The angle the rules of atan2 fix exactly (signed zeros, infinities, equal
// magnitudes), as the double nearest to it; false where the operands leave
// a general angle.
bool ExactRuleAngle(double y, double x, double& angle) {
  constexpr double kPi = 0x1.921fb54442d18p+1;
  constexpr double kHalfPi = 0x1.921fb54442d18p+0;
  constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
  constexpr double kThreeQuarterPi = 0x1.2d97c7f3321d2p+1;
  const bool xNegative = std::signbit(x);
  double magnitude = 0.0;
  if (y == 0.0) {
    magnitude = xNegative ? kPi : 0.0;
  } else if (x == 0.0) {
    magnitude = kHalfPi;
  } else if (std::isinf(y)) {
    magnitude = !std::isinf(x) ? kHalfPi
                : xNegative    ? kThreeQuarterPi
                               : kQuarterPi;
  } else if (std::isinf(x)) {
    magnitude = xNegative ? kPi : 0.0;
  } else if (std::fabs(x) == std::fabs(y)) {
    magnitude = xNegative ? kThreeQuarterPi : kQuarterPi;
  } else {
    return false;
  }
  angle = std::copysign(magnitude, y);
  return true;
}

TEST(Atan2, SpecialOperandsFollowTheRulesOfAtan2) {
  const std::vector<double> special = SpecialOperands();
  std::vector<double> ys, xs;
  for (double y : special) {
    for (double x : special) {
      ys.push_back(y);
      xs.push_back(x);
    }
  }
  for (Backend backend : RunnableBackends()) {
    std::vector<double> got(ys.size());
    TestHooksFor(backend)->atan2Array(ys.data(), xs.data(), got.data(),
                                      got.size());
    for (size_t i = 0; i < got.size(); ++i) {
      const double y = ys[i];
      const double x = xs[i];
      double expected = 0.0;
      if (std::isnan(x) || std::isnan(y)) {
        EXPECT_TRUE(std::isnan(got[i]))
            << BackendName(backend) << " atan2(" << DoubleAndBits(y) << ", "
            << DoubleAndBits(x) << ") = " << DoubleAndBits(got[i]);
#if defined(__GLIBC__) && defined(__x86_64__)
        // The NaN itself as glibc's SSE code passes it on (x87 and other C
        // libraries choose among NaN operands differently).
        EXPECT_EQ(std::bit_cast<uint64_t>(got[i]),
                  std::bit_cast<uint64_t>(std::atan2(y, x)))
            << BackendName(backend) << " atan2(" << DoubleAndBits(y) << ", "
            << DoubleAndBits(x) << ")";
#endif
      } else if (ExactRuleAngle(y, x, expected)) {
        EXPECT_EQ(std::bit_cast<uint64_t>(got[i]),
                  std::bit_cast<uint64_t>(expected))
            << BackendName(backend) << " atan2(" << DoubleAndBits(y) << ", "
            << DoubleAndBits(x) << ") = " << DoubleAndBits(got[i])
            << ", expected " << DoubleAndBits(expected);
      } else {
        // A general angle, which only has to be faithful.
        EXPECT_LT(UlpError(got[i], y, x), 1.0)
            << BackendName(backend) << " atan2(" << DoubleAndBits(y) << ", "
            << DoubleAndBits(x) << ") = " << DoubleAndBits(got[i]);
      }
    }
  }
}

// One operand range: fills y and x with a chunk of operand pairs.
struct Range {
  const char* name;
  std::function<void(SeededRandom&, double&, double&)> draw;
};

double Signed(SeededRandom& rng, double v) { return rng.Coin() ? -v : v; }

double Uniform(SeededRandom& rng, double low, double high) {
  return rng.Uniform(low, high);
}

// Any finite double, subnormals included, every exponent equally likely.
double AnyFinite(SeededRandom& rng) {
  const uint64_t exponent = rng() % 0x7FF;
  const uint64_t bits = (exponent << 52) | (rng() & 0x000FFFFFFFFFFFFFu);
  return Signed(rng, std::bit_cast<double>(bits));
}

std::vector<Range> Ranges() {
  return {
      // Real and imaginary sums of a windowed transform's bins.
      {"workload sums",
       [](SeededRandom& rng, double& y, double& x) {
         y = Uniform(rng, -1.0, 1.0) * std::pow(10.0, Uniform(rng, -3.0, 6.0));
         x = Uniform(rng, -1.0, 1.0) * std::pow(10.0, Uniform(rng, -3.0, 6.0));
       }},
      {"uniform angle",
       [](SeededRandom& rng, double& y, double& x) {
         const double angle = Uniform(rng, -std::numbers::pi, std::numbers::pi);
         const double scale =
             std::ldexp(1.0, static_cast<int>(rng() % 61) - 30);
         y = std::sin(angle) * scale;
         x = std::cos(angle) * scale;
       }},
      // Just below 2^j, where an ULP is smallest relative to the angle.
      {"angle just below 2^j",
       [](SeededRandom& rng, double& y, double& x) {
         const double top = std::ldexp(1.0, static_cast<int>(rng() % 5) - 3);
         const double angle =
             top * (1.0 - std::ldexp(Uniform(rng, 0.0, 1.0),
                                     -static_cast<int>(rng() % 30)));
         const double scale =
             std::ldexp(1.0, static_cast<int>(rng() % 61) - 30);
         y = Signed(rng, std::sin(angle) * scale);
         x = std::cos(angle) * scale;
       }},
      {"ratio near tan(pi/8)",
       [](SeededRandom& rng, double& y, double& x) {
         x = Signed(rng, Uniform(rng, 0.5, 2.0));
         const double delta = Signed(
             rng,
             std::ldexp(Uniform(rng, 0.0, 1.0), -static_cast<int>(rng() % 53)));
         y = Signed(rng, std::fabs(x) * 0.41421356237309503 * (1.0 + delta));
         if (rng() & 1) std::swap(x, y);
       }},
      {"near diagonals",
       [](SeededRandom& rng, double& y, double& x) {
         x = Signed(rng, Uniform(rng, 0.5, 2.0));
         const double delta = Signed(
             rng,
             std::ldexp(Uniform(rng, 0.0, 1.0), -static_cast<int>(rng() % 56)));
         y = Signed(rng, std::fabs(x) * (1.0 + delta));
       }},
      {"near axes",
       [](SeededRandom& rng, double& y, double& x) {
         x = Signed(rng, Uniform(rng, 0.5, 2.0));
         y = Signed(rng, std::ldexp(Uniform(rng, 0.5, 1.0),
                                    -static_cast<int>(rng() % 1100)));
         if (rng() & 1) std::swap(x, y);
       }},
      {"mixed exponents",
       [](SeededRandom& rng, double& y, double& x) {
         y = AnyFinite(rng);
         x = AnyFinite(rng);
       }},
      {"tiny and subnormal angles",
       [](SeededRandom& rng, double& y, double& x) {
         y = Signed(rng, Limits::denorm_min() *
                             static_cast<double>(1 + rng() % 0xFFFFFFFFFFFFu));
         x = Signed(rng, std::ldexp(Uniform(rng, 0.5, 1.0),
                                    static_cast<int>(rng() % 60) - 30));
       }},
      {"both subnormal",
       [](SeededRandom& rng, double& y, double& x) {
         y = Signed(rng, Limits::denorm_min() *
                             static_cast<double>(rng() % 0x10000000000000u));
         x = Signed(rng, Limits::denorm_min() *
                             static_cast<double>(rng() % 0x10000000000000u));
       }},
      // Where vectors leave the unscaled fast path: |x|, |y| near 2^150 or
      // 2^-150; and the unscaled variant's own limits: near 2^500, the
      // larger near 2^-500, ratios near 2^-300.
      {"fast-path edges",
       [](SeededRandom& rng, double& y, double& x) {
         const int exponents[] = {150, -150, 500, -500, -800};
         const int e = exponents[rng() % 5];
         x = Signed(rng,
                    std::ldexp(Uniform(rng, 0.5, 2.0), e < -500 ? -500 : e));
         y = Signed(rng,
                    std::ldexp(Uniform(rng, 0.5, 2.0), e < -500 ? -800 : e));
         if (rng() & 1) std::swap(x, y);
       }},
      {"both huge",
       [](SeededRandom& rng, double& y, double& x) {
         y = Signed(rng, Limits::max() * Uniform(rng, 0.0, 1.0));
         x = Signed(rng, Limits::max() * Uniform(rng, 0.0, 1.0));
       }},
  };
}

TEST(Atan2, ErrorBelowOneUlpAndSameBitsOnEveryBackend) {
  std::vector<double> y(kChunk), x(kChunk), expected(kChunk), got(kChunk);
  uint64_t seed = 1;
  for (const Range& range : Ranges()) {
    SeededRandom rng(seed++);
    double maxError = 0.0;
    double worstY = 0.0, worstX = 0.0;
    size_t mismatches = 0;
    for (size_t done = 0; done < kPairsPerRange; done += kChunk) {
      for (size_t i = 0; i < kChunk; ++i) range.draw(rng, y[i], x[i]);
      for (size_t i = 0; i < kChunk; ++i) expected[i] = Atan2One(y[i], x[i]);
      for (Backend backend : RunnableBackends()) {
        TestHooksFor(backend)->atan2Array(y.data(), x.data(), got.data(),
                                          kChunk);
        for (size_t i = 0; i < kChunk; ++i) {
          if (std::bit_cast<uint64_t>(got[i]) !=
                  std::bit_cast<uint64_t>(expected[i]) &&
              mismatches++ < 5) {
            ADD_FAILURE() << BackendName(backend) << " atan2("
                          << DoubleAndBits(y[i]) << ", " << DoubleAndBits(x[i])
                          << ") = " << DoubleAndBits(got[i])
                          << ", one double gives "
                          << DoubleAndBits(expected[i]);
          }
        }
      }
      for (size_t i = 0; i < kChunk; ++i) {
        const double error = UlpError(expected[i], y[i], x[i]);
        if (!(error <= maxError)) {
          maxError = error;
          worstY = y[i];
          worstX = x[i];
        }
      }
    }
    std::printf("%-28s max error %.4f ULP at atan2(%a, %a)\n", range.name,
                maxError, worstY, worstX);
    EXPECT_LT(maxError, 1.0)
        << range.name << ": atan2(" << DoubleAndBits(worstY) << ", "
        << DoubleAndBits(worstX) << ")";
    EXPECT_EQ(mismatches, 0u) << range.name;
  }
}

// Two vectors share the interleaved path only when both are ordinary: one
// special operand at any position among ordinary ones, in either vector of
// a pair or in the tail, leaves every lane with the one-double bits.
TEST(Atan2, OneSpecialOperandAmongOrdinaryOnesKeepsEveryLane) {
  constexpr size_t kCount = 37;  // two pairs of the widest vector and a tail
  SeededRandom rng(99);
  std::vector<double> y(kCount), x(kCount), got(kCount);
  for (size_t i = 0; i < kCount; ++i) {
    y[i] = Uniform(rng, -1.0, 1.0) * 1000.0;
    x[i] = Uniform(rng, -1.0, 1.0) * 1000.0;
  }
  const double specials[] = {0.0, -Limits::infinity(), QuietNan(3, false),
                             0x1p600, 0x1p-700};
  for (double special : specials) {
    for (size_t at = 0; at < 2 * kCount; ++at) {
      std::vector<double> ys = y, xs = x;
      (at < kCount ? ys : xs)[at % kCount] = special;
      for (Backend backend : RunnableBackends()) {
        TestHooksFor(backend)->atan2Array(ys.data(), xs.data(), got.data(),
                                          kCount);
        for (size_t i = 0; i < kCount; ++i) {
          const double expected = Atan2One(ys[i], xs[i]);
          ASSERT_EQ(std::bit_cast<uint64_t>(got[i]),
                    std::bit_cast<uint64_t>(expected))
              << BackendName(backend) << " atan2(" << DoubleAndBits(ys[i])
              << ", " << DoubleAndBits(xs[i]) << ") at " << i
              << ", special operand at " << at % kCount;
        }
      }
    }
  }
}

}  // namespace
}  // namespace ondavel
