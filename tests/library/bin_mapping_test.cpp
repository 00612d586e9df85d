// Ondavel_FFT_Node and Ondavel_FreqNode: frequency to the first bin at or
// above it through a single-precision ceiling, bin to frequency, and the
// round trip between them.
#include <gtest/gtest.h>

#include <limits>

#include "tests/library/test_support.h"

namespace ondavel_test {
namespace {

constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// For quotients well inside the int32 range: the quotient rounded to float,
// then its ceiling.
int32_t ExpectedNode(int n_points, double frequency, double rate) {
  const double q = (static_cast<double>(n_points) * frequency) / rate;
  return static_cast<int32_t>(std::ceil(static_cast<float>(q)));
}

TEST(BinMappingTest, ListedCasesAt1024PointsAnd44100Hz) {
  const ScopedEngine engine(1024, 12);
  const double bin10 = 10.0 * 44100.0 / 1024.0;
  EXPECT_EQ(Ondavel_FreqNode(10, 44100.0), bin10);
  EXPECT_EQ(Ondavel_FreqNode(512, 44100.0), 22050.0);
  EXPECT_EQ(Ondavel_FreqNode(0, 44100.0), 0.0);
  EXPECT_EQ(Ondavel_FFT_Node(bin10, 44100.0), 10);
  EXPECT_EQ(Ondavel_FFT_Node(430.7, 44100.0), 11);
  EXPECT_EQ(Ondavel_FFT_Node(22050.0, 44100.0), 512);
  EXPECT_EQ(Ondavel_FFT_Node(bin10 + 1e-8, 44100.0), 10);
  EXPECT_EQ(Ondavel_FFT_Node(-431.0, 44100.0), -10);
  EXPECT_EQ(Ondavel_FFT_Node(0.0, 44100.0), 0);
  EXPECT_EQ(Ondavel_FFT_Node(0.001, 44100.0), 1);
  for (double frequency : {0.0, 1000.0, -1000.0}) {
    EXPECT_EQ(Ondavel_FFT_Node(frequency, 0.0), kLowest) << frequency;
  }
  EXPECT_EQ(Ondavel_FFT_Node(1e12, 44100.0), kLowest);
}

TEST(BinMappingTest, NonFiniteAndOutOfRangeGiveTheLowestInt) {
  const ScopedEngine engine(1024, 12);
  for (double frequency : {kNaN, kInfinity, -kInfinity, -1e12, 1e300}) {
    EXPECT_EQ(Ondavel_FFT_Node(frequency, 44100.0), kLowest) << frequency;
  }
  EXPECT_EQ(Ondavel_FFT_Node(1000.0, kNaN), kLowest);
  EXPECT_EQ(Ondavel_FFT_Node(1000.0, -0.0), kLowest);
  // With the rate equal to N the quotient is the frequency itself.
  constexpr double kRate = 1024.0;
  EXPECT_EQ(Ondavel_FFT_Node(2147483520.0, kRate), 2147483520);  // < 2^31
  EXPECT_EQ(Ondavel_FFT_Node(2147483583.0, kRate), 2147483520);
  EXPECT_EQ(Ondavel_FFT_Node(2147483584.0, kRate), kLowest);  // ties to 2^31
  EXPECT_EQ(Ondavel_FFT_Node(0x1p31, kRate), kLowest);
  EXPECT_EQ(Ondavel_FFT_Node(-2147483520.0, kRate), -2147483520);
  EXPECT_EQ(Ondavel_FFT_Node(-0x1p31, kRate), kLowest);  // still in range
  EXPECT_EQ(Ondavel_FFT_Node(-2147483904.0, kRate), kLowest);
}

// The quotient is rounded to single precision (to nearest, ties to even)
// before the ceiling, so a double ceiling would differ on these.
TEST(BinMappingTest, RoundsTheQuotientToSinglePrecisionFirst) {
  const ScopedEngine engine(1024, 12);
  constexpr double kRate = 1024.0;
  EXPECT_EQ(Ondavel_FFT_Node(10.0 + 0x1p-21, kRate), 10);
  EXPECT_EQ(Ondavel_FFT_Node(10.0 + 0x1p-21 + 0x1p-40, kRate), 11);
  EXPECT_EQ(Ondavel_FFT_Node(0x1p23 + 0.5, kRate), 8388608);
  EXPECT_EQ(Ondavel_FFT_Node(0x1p23 + 1.5, kRate), 8388610);
  EXPECT_EQ(Ondavel_FFT_Node(0x1p24 + 1.0, kRate), 16777216);
  EXPECT_EQ(Ondavel_FFT_Node(-10.5, kRate), -10);
  EXPECT_EQ(Ondavel_FFT_Node(-0.3, kRate), 0);
  EXPECT_EQ(Ondavel_FFT_Node(1e-40, kRate), 1);   // a subnormal float
  EXPECT_EQ(Ondavel_FFT_Node(1e-300, kRate), 0);  // rounds to zero as float
}

TEST(BinMappingTest, FollowTheirFormulasForAnyRecordedLength) {
  for (int n_points : {1024, 3, 262144}) {
    SCOPED_TRACE(n_points);
    const ScopedEngine engine(n_points, 12);
    const std::vector<double> rates = RandomValues(200, 1300, 1.0, 2e5);
    const std::vector<double> bins = RandomValues(200, 1301, -3e9, 3e9);
    const std::vector<double> fractions = RandomValues(200, 1302, -0.6, 0.6);
    for (size_t i = 0; i < rates.size(); ++i) {
      const double rate = rates[i];
      const auto bin =
          static_cast<int32_t>(std::clamp(bins[i], -0x1p31, 0x1p31 - 1));
      EXPECT_EQ(Bits(Ondavel_FreqNode(bin, rate)),
                Bits((static_cast<double>(bin) * rate) / n_points))
          << bin << " " << rate;
      const double frequency = fractions[i] * rate;
      EXPECT_EQ(Ondavel_FFT_Node(frequency, rate),
                ExpectedNode(n_points, frequency, rate))
          << frequency << " " << rate;
    }
    for (int32_t bin : {kLowest, std::numeric_limits<int32_t>::max(), -1}) {
      EXPECT_EQ(Bits(Ondavel_FreqNode(bin, 48000.0)),
                Bits((static_cast<double>(bin) * 48000.0) / n_points));
    }
  }
}

TEST(BinMappingTest, EveryBinSurvivesTheRoundTripThroughItsFrequency) {
  const double kRates[] = {8000,  11025, 16000, 22050,  32000, 44100,
                           48000, 88200, 96000, 176400, 192000};
  for (int m = 2; m <= 18; ++m) {
    const int n_points = 1 << m;
    const ScopedEngine engine(n_points, 0);
    for (double rate : kRates) {
      int failures = 0;
      for (int k = 0; k <= n_points; ++k) {
        const int32_t back = Ondavel_FFT_Node(Ondavel_FreqNode(k, rate), rate);
        if (back != k && ++failures <= 3) {
          ADD_FAILURE() << "N " << n_points << " rate " << rate << " bin " << k
                        << " comes back as " << back;
        }
      }
      EXPECT_EQ(failures, 0) << "N " << n_points << " rate " << rate;
    }
  }
}

}  // namespace
}  // namespace ondavel_test
