// Ondavel_PhaseNorm: stepwise wrapping by the double 2 pi within 1024 turns,
// a reduction into the same half-open interval beyond, NaN for non-finite.
#include <gtest/gtest.h>

#include <limits>

#include "tests/library/test_support.h"

namespace ondavel_test {
namespace {

constexpr double kStepwiseLimit = 1024 * kTwoPi;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The wrapping rule: whole steps of 2 pi, each one rounded double addition.
double StepwiseWrap(double v) {
  if (v > 0) {
    while (v >= kPi) v -= kTwoPi;
  } else {
    while (v <= -kPi) v += kTwoPi;
  }
  return v;
}

TEST(PhaseNormTest, ListedCases) {
  EXPECT_EQ(Ondavel_PhaseNorm(kPi), -kPi);
  EXPECT_EQ(Ondavel_PhaseNorm(-kPi), kPi);
  EXPECT_EQ(Ondavel_PhaseNorm(3 * kPi), -kPi);
  EXPECT_EQ(Ondavel_PhaseNorm(7.0), 7.0 - kTwoPi);
  EXPECT_EQ(Ondavel_PhaseNorm(-7.0), -7.0 + kTwoPi);
  EXPECT_EQ(Bits(Ondavel_PhaseNorm(0.0)), Bits(0.0));
  EXPECT_EQ(Bits(Ondavel_PhaseNorm(-0.0)), Bits(-0.0));
  EXPECT_TRUE(
      std::isnan(Ondavel_PhaseNorm(std::numeric_limits<double>::quiet_NaN())));
}

TEST(PhaseNormTest, StepsExactlyWithinTheLimit) {
  std::vector<double> angles;
  // Every multiple of pi inside the limit and its neighbours: the places
  // where the number of steps changes.
  for (int k = -2047; k <= 2047; ++k) {
    const double v = k * kPi;
    angles.insert(angles.end(), {v, std::nextafter(v, -kInfinity),
                                 std::nextafter(v, kInfinity)});
  }
  for (double v : RandomValues(100000, 1100, -kStepwiseLimit, kStepwiseLimit)) {
    angles.push_back(v);
  }
  for (double v : RandomValues(20000, 1101, -4 * kPi, 4 * kPi)) {
    angles.push_back(v);
  }
  for (double e : RandomValues(2000, 1102, -1074, 12)) {
    angles.push_back(std::exp2(e));
    angles.push_back(-std::exp2(e));
  }
  angles.push_back(std::nextafter(kStepwiseLimit, 0.0));
  angles.push_back(-std::nextafter(kStepwiseLimit, 0.0));
  int mismatches = 0;
  for (double v : angles) {
    const double expected = StepwiseWrap(v);
    const double actual = Ondavel_PhaseNorm(v);
    if (Bits(actual) != Bits(expected) && ++mismatches <= 10) {
      ADD_FAILURE() << std::hexfloat << v << " gives " << actual
                    << ", expected " << expected;
    }
  }
  EXPECT_EQ(mismatches, 0) << "of " << angles.size() << " angles";
}

// Beyond the limit the result must still lie in [-pi, pi) for a positive
// angle and in (-pi, pi] otherwise, and up to moderate sizes it must be the
// remainder by the double 2 pi (which the steps approximate to ~1e-9).
TEST(PhaseNormTest, ReducesLargeAnglesIntoTheSameInterval) {
  std::vector<double> angles = {std::nextafter(kStepwiseLimit, kInfinity),
                                kStepwiseLimit * 1.5,
                                1e4,
                                123456.789,
                                1e7,
                                0x1p53,
                                1e17,
                                1e300,
                                std::numeric_limits<double>::max()};
  for (double e : RandomValues(2000, 1200, 12.66, 1023.9)) {
    angles.push_back(std::exp2(e));
  }
  const size_t positives = angles.size();
  for (size_t i = 0; i < positives; ++i) angles.push_back(-angles[i]);
  for (double v : angles) {
    const double r = Ondavel_PhaseNorm(v);
    ASSERT_TRUE(std::isfinite(r)) << v;
    if (v > 0) {
      EXPECT_TRUE(r >= -kPi && r < kPi) << std::hexfloat << v << " -> " << r;
    } else {
      EXPECT_TRUE(r > -kPi && r <= kPi) << std::hexfloat << v << " -> " << r;
    }
    if (std::fabs(v) <= 1e7) {
      long double difference =
          r - std::remainder(static_cast<long double>(v),
                             static_cast<long double>(kTwoPi));
      if (difference > kPi) difference -= kTwoPi;
      if (difference < -kPi) difference += kTwoPi;
      EXPECT_LT(std::fabs(difference), 1e-6L) << std::hexfloat << v;
    }
  }
}

TEST(PhaseNormTest, InfinitiesGiveNaN) {
  EXPECT_TRUE(std::isnan(Ondavel_PhaseNorm(kInfinity)));
  EXPECT_TRUE(std::isnan(Ondavel_PhaseNorm(-kInfinity)));
}

}  // namespace
}  // namespace ondavel_test
