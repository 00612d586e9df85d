// The butterfly passes' sines are correctly rounded: FastSine on every
// argument a pass takes, theta = (2pi / G) s and theta / 2 for group
// lengths G = 2 .. 2^29 and both directions, judged as the cosine is.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "constants.h"
#include "kernels/fast_sine.h"
#include "rounding_judge.h"

namespace ondavel {
namespace {

TEST(PassSineTest, EveryPassArgumentIsCorrectlyRounded) {
  const std::string reason = testing::JudgeUnavailableReason();
  if (!reason.empty()) GTEST_SKIP() << reason;
#if defined(ONDAVEL_HAVE_MPFR)
  testing::RoundingJudge judge;
  testing::JudgeTally tally;
  for (int log2 = 1; log2 <= 29; ++log2) {
    for (const double sign : {-1.0, 1.0}) {
      // Formed exactly as PassTwiddleOf forms them.
      const double theta =
          (kTwoPi / static_cast<double>(size_t{1} << log2)) * sign;
      for (const double x : {theta, 0.5 * theta}) {
        const double y = FastSine(x);
        EXPECT_EQ(y, judge.Exact(testing::Function::kSine, x))
            << "group 2^" << log2 << " x " << x;
        judge.Judge(testing::Function::kSine, x, y, tally);
      }
    }
  }
  std::printf(
      "pass sines: %lld arguments, %lld decided by MPFR, max %.4f ulp\n",
      static_cast<long long>(tally.arguments),
      static_cast<long long>(tally.decidedByMpfr), tally.maxUlpError);
  EXPECT_EQ(tally.arguments, 29 * 2 * 2);
  EXPECT_EQ(tally.wrong, 0);
#endif
}

}  // namespace
}  // namespace ondavel
