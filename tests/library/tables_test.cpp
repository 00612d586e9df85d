// The reorder and window tables, seen through the transform.
//
// A windowed forward transform of a unit impulse at input position n shows
// the window value W(n) exactly in bin 0: the gather leaves W(n) * 1 at one
// place and exact zeros everywhere else, and bin 0 is the plain sum of the
// gathered values (its twiddle is exactly 1 + 0i in every pass), so every
// addition on the way adds an exact zero.
#include <gtest/gtest.h>

#include <complex>
#include <string>

#include "tests/library/test_support.h"

namespace ondavel_test {
namespace {

std::vector<double> ImpulseSpectrum(int n, int n_points, Flags flags) {
  std::vector<double> impulse(2 * n_points, 0.0);
  impulse[2 * n] = 1.0;
  return Transform(impulse, flags);
}

double WindowSeenAt(int n, int n_points) {
  const std::vector<double> spectrum = ImpulseSpectrum(n, n_points, {1, 0, 1});
  EXPECT_EQ(spectrum[1], 0.0) << "n " << n;
  return spectrum[0];
}

std::vector<int> Positions(int n_points) {
  std::vector<int> positions;
  if (n_points <= 256) {
    for (int n = 0; n < n_points; ++n) positions.push_back(n);
    return positions;
  }
  const int q = n_points / 4;
  positions = {0,           1,         2,     3,         q - 1, q,
               q + 1,       2 * q - 1, 2 * q, 2 * q + 1, 3 * q, n_points - 2,
               n_points - 1};
  SeededRandom rng(n_points);
  for (int i = 0; i < 24; ++i) {
    positions.push_back(static_cast<int>(rng.Below(n_points)));
  }
  return positions;
}

// Against window_oracle.h: any value one ulp off fails.
TEST(WindowTableTest, EveryWindowValueIsRoundedAsDefined) {
  const std::string unavailable = WindowOracleUnavailableReason();
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
#if defined(ONDAVEL_HAVE_MPFR)
  const uint32_t kTypes[] = {0,  1,  2,  3,          4,         5,  6,
                             7,  8,  9,  10,         11,        12, 13,
                             14, 15, 99, 0x80000000, 0xFFFFFFFF};
  for (uint32_t type : kTypes) {
    for (int n_points : {1, 2, 4, 8, 16, 32, 64, 128, 256, 1024, 4096}) {
      const ScopedEngine engine(n_points, type);
      DefinedWindow defined(type, n_points);
      for (int n : Positions(n_points)) {
        const double seen = WindowSeenAt(n, n_points);
        const double expected = defined(n);
        EXPECT_EQ(Bits(seen), Bits(expected))
            << "type " << type << " N " << n_points << " n " << n << ": "
            << std::hexfloat << seen << ", defined " << expected;
      }
      if (HasFailure()) return;
    }
  }
#endif
}

TEST(WindowTableTest, ValuesFromTheWindowDefinitions) {
  {
    const ScopedEngine hann(4, 1);
    const double expected[] = {0.0, 0.5, 1.0, 0.5};
    for (int n = 0; n < 4; ++n) {
      EXPECT_NEAR(WindowSeenAt(n, 4), expected[n], 4e-16) << n;
    }
  }
  for (int n_points : {8, 64, 1024}) {
    for (uint32_t type = 1; type <= 13; ++type) {
      SCOPED_TRACE("type " + std::to_string(type) + " N " +
                   std::to_string(n_points));
      const ScopedEngine engine(n_points, type);
      const double centre = type == 13 ? 2.0 / 0.762 : 1.0;
      EXPECT_NEAR(WindowSeenAt(n_points / 2, n_points), centre, 2e-15);
      for (int n = 1; n < n_points / 2; n += 1 + n_points / 64) {
        EXPECT_NEAR(WindowSeenAt(n, n_points),
                    WindowSeenAt(n_points - n, n_points), 4e-15)
            << "n " << n;
      }
      const double first = WindowSeenAt(0, n_points);
      switch (type) {
        case 2:
          EXPECT_NEAR(first, 0.08, 1e-16);
          break;
        case 6:
          EXPECT_EQ(first, 128.0 / 18608.0);
          break;
        case 12:
          EXPECT_NEAR(first, 0.3635819 - 0.4891775 + 0.1365995 - 0.0106411,
                      1e-16);
          EXPECT_GT(first, 0.0);
          break;
        case 7:
        case 11:
          break;
        default:  // The windows that taper to zero at the frame's edge.
          EXPECT_NEAR(first, 0.0, 1e-15);
      }
    }
  }
}

TEST(WindowTableTest, OtherTypesAreRectangular) {
  for (uint32_t type : {0u, 14u, 15u, 1000u, 0x80000000u, 0xFFFFFFFFu}) {
    for (int n_points : {1, 8, 512}) {
      const ScopedEngine engine(n_points, type);
      const std::vector<double> x = RandomValues(2 * n_points, type + 7);
      for (unsigned char normalize : {0, 1}) {
        EXPECT_EQ(Transform(x, {1, normalize, 1}),
                  Transform(x, {0, normalize, 1}))
            << "type " << type << " N " << n_points;
      }
    }
  }
}

TEST(ReorderTableTest, OnePointAndTwoPoints) {
  const std::vector<double> x = {0.25, -3.5};
  {
    const ScopedEngine engine(1, 1);  // Hann is 0 at n = 0.
    EXPECT_EQ(Transform(x, {0, 0, 1}), x);
    EXPECT_EQ(Transform(x, {0, 1, 0}), x);
    EXPECT_EQ(Transform(x, {1, 0, 1}), (std::vector<double>{0.0, -0.0}));
  }
  {
    const ScopedEngine engine(1, 0);
    for (const Flags& flags : AllFlagCombinations()) {
      EXPECT_EQ(Transform(x, flags), x);
    }
  }
  const ScopedEngine engine(2, 0);
  EXPECT_EQ(ImpulseSpectrum(0, 2, {0, 0, 1}),
            (std::vector<double>{1, 0, 1, 0}));
  EXPECT_EQ(ImpulseSpectrum(1, 2, {0, 0, 1}),
            (std::vector<double>{1, 0, -1, 0}));
}

// Eight points: every input position must reach the pass that pairs it with
// its bit-reversed partner; any other order gives a different spectrum.
TEST(ReorderTableTest, ImpulsesAtEveryPositionOfEightPoints) {
  const ScopedEngine engine(8, 0);
  for (int n = 0; n < 8; ++n) {
    const std::vector<double> spectrum = ImpulseSpectrum(n, 8, {0, 0, 1});
    for (int k = 0; k < 8; ++k) {
      const std::complex<long double> expected =
          std::polar(1.0L, -kTwoPiLong * (n * k % 8) / 8);
      EXPECT_NEAR(spectrum[2 * k], expected.real(), 1e-15) << n << " " << k;
      EXPECT_NEAR(spectrum[2 * k + 1], expected.imag(), 1e-15) << n << " " << k;
    }
    // Bins 0 and 4 only ever meet the twiddle 1 + 0i, so they are exact.
    EXPECT_EQ(spectrum[0], 1.0);
    EXPECT_EQ(spectrum[8], n % 2 == 0 ? 1.0 : -1.0);
    EXPECT_EQ(spectrum[9], 0.0);
  }
}

}  // namespace
}  // namespace ondavel_test
