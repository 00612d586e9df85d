#include "realtime_factor.h"

#include <cstdint>
#include <limits>

#include "gtest/gtest.h"

namespace pellarin {
namespace {

constexpr int64_t kFrames = 8388608;
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The time in which kFrames frames give the quotient `factor`.
double SecondsFor(double factor) { return kFrames / (44100.0 * factor); }

TEST(RealtimeFactor, TruncatesTowardZero) {
  EXPECT_EQ(RealtimeFactor(kFrames, SecondsFor(99.9)), 99);
  EXPECT_EQ(RealtimeFactor(kFrames, SecondsFor(-2.5)), -2);
  EXPECT_EQ(RealtimeFactor(kFrames, SecondsFor(0.999)), 0);
  EXPECT_EQ(RealtimeFactor(kFrames, SecondsFor(2147483647.9)), kMax);
  EXPECT_EQ(RealtimeFactor(kFrames, SecondsFor(-2147483648.9)), kMin);
}

TEST(RealtimeFactor, SaturatesWhatInt32CannotHold) {
  EXPECT_EQ(RealtimeFactor(kFrames, SecondsFor(2147483648.0)), kMax);
  EXPECT_EQ(RealtimeFactor(kFrames, 1e-12), kMax);
  EXPECT_EQ(RealtimeFactor(kFrames, 0.0), kMax);
  EXPECT_EQ(RealtimeFactor(kFrames, -0.0), kMax);
  EXPECT_EQ(RealtimeFactor(kFrames, -1e-12), kMin);
  EXPECT_EQ(RealtimeFactor(kFrames, SecondsFor(-2147483649.0)), kMin);
}

TEST(RealtimeFactor, NonFiniteTimes) {
  EXPECT_EQ(RealtimeFactor(kFrames, kInfinity), 0);
  EXPECT_EQ(RealtimeFactor(kFrames, -kInfinity), 0);
  EXPECT_EQ(RealtimeFactor(kFrames, std::numeric_limits<double>::quiet_NaN()),
            0);
}

}  // namespace
}  // namespace pellarin
