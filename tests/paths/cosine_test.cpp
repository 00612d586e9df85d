// The library's cosine is correctly rounded on every argument a window
// table uses, judged by long double and, near rounding boundaries, MPFR.
//
// Built twice: as cosine_test (every argument for N = 2^20, which includes
// those of all shorter lengths, since x = (r 2pi) / N scales exactly by 2;
// run by ctest) and, with ONDAVEL_COSINE_SWEEP, as cosine_proof_sweep (a
// sample of the arguments for N = 2^21 .. 2^29, run by hand).
#include "cosine.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "constants.h"
#include "rounding_judge.h"
#include "tests/support/seeded_random.h"

#if !defined(ONDAVEL_COSINE_SWEEP)
#include <gtest/gtest.h>
#endif

namespace ondavel {
namespace {

using ondavel_test::SeededRandom;
using testing::Function;
using testing::JudgeTally;

// The error is measured against long double, itself off by up to 2^-10 of
// a double's ulp: a correctly rounded result next to a rounding boundary
// may show a hair over 0.5.  Correct rounding itself is `wrong == 0`.
constexpr double kMaxMeasuredUlpError = 0.5 + 0x1p-9;

// The three arguments the window table takes at position r of length n,
// formed as it forms them.
template <class Visit>
void VisitWindowArguments(int64_t r, double n, Visit&& visit) {
  const double x = (static_cast<double>(r) * kTwoPi) / n;
  visit(x);
  visit(x + x);
  visit(x * 3.0);
}

void Print(const char* what, const JudgeTally& t) {
  std::printf(
      "%s: %lld arguments, %lld decided by MPFR, %lld wrong, max error "
      "%.9f ulp (at %a)\n",
      what, static_cast<long long>(t.arguments),
      static_cast<long long>(t.decidedByMpfr), static_cast<long long>(t.wrong),
      t.maxUlpError, t.worstArgument);
  if (t.wrong != 0) std::printf("  first wrong at %a\n", t.firstWrongArgument);
}

#if defined(ONDAVEL_HAVE_MPFR)
void JudgeWindowArguments(testing::RoundingJudge& judge, int64_t r, double n,
                          JudgeTally& tally) {
  VisitWindowArguments(r, n, [&](double x) {
    judge.Judge(Function::kCosine, x, Cosine(x), tally);
  });
}
#endif

#if !defined(ONDAVEL_COSINE_SWEEP)

#define SKIP_WITHOUT_JUDGE()                                      \
  do {                                                            \
    const std::string reason = testing::JudgeUnavailableReason(); \
    if (!reason.empty()) GTEST_SKIP() << reason;                  \
  } while (0)

TEST(CosineTest, EveryWindowArgumentUpTo2To20IsCorrectlyRounded) {
  SKIP_WITHOUT_JUDGE();
#if defined(ONDAVEL_HAVE_MPFR)
  constexpr int64_t kLength = int64_t{1} << 20;
  testing::RoundingJudge judge;
  JudgeTally tally;
  for (int64_t r = 0; r < kLength; ++r) {
    JudgeWindowArguments(judge, r, static_cast<double>(kLength), tally);
  }
  Print("window arguments, N = 2^20", tally);
  EXPECT_EQ(tally.arguments, 3 * kLength);
  EXPECT_EQ(tally.wrong, 0) << "first at " << tally.firstWrongArgument;
  EXPECT_LE(tally.maxUlpError, kMaxMeasuredUlpError);
#endif
}

// The claim holds on the whole reducible range, not just on the table's
// arguments: random doubles, and the neighbours of multiples of pi/4, where
// the reduction cancels most and the quadrant changes.
TEST(CosineTest, ArgumentsAcrossTheReducibleRangeAreCorrectlyRounded) {
  SKIP_WITHOUT_JUDGE();
#if defined(ONDAVEL_HAVE_MPFR)
  testing::RoundingJudge judge;
  JudgeTally tally;
  const auto visit = [&](double x) {
    judge.Judge(Function::kCosine, x, Cosine(x), tally);
  };
  SeededRandom rng(20261207);
  for (int i = 0; i < 1'000'000; ++i) {
    visit(rng.Uniform(0.0, kCosineReducibleLimit));
  }
  for (int e = -1074; e < 5; ++e) visit(std::ldexp(1.0, e));
  for (int m = 1; m * 0.7853981633974483 <= kCosineReducibleLimit; ++m) {
    double below = m * 0.7853981633974483;
    double above = below;
    for (int i = 0; i < 2000; ++i) {
      visit(below);
      visit(above);
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, 100.0);
    }
  }
  visit(kCosineReducibleLimit);
  Print("reducible range", tally);
  EXPECT_EQ(tally.wrong, 0) << "first at " << tally.firstWrongArgument;
  EXPECT_LE(tally.maxUlpError, kMaxMeasuredUlpError);
#endif
}

uint64_t Bits(double x) { return std::bit_cast<uint64_t>(x); }

TEST(CosineTest, IsEvenAndExactAtZero) {
  EXPECT_EQ(Bits(Cosine(0.0)), Bits(1.0));
  EXPECT_EQ(Bits(Cosine(-0.0)), Bits(1.0));
  EXPECT_EQ(Bits(Cosine(std::numeric_limits<double>::denorm_min())), Bits(1.0));
  SeededRandom rng(7);
  for (int i = 0; i < 10000; ++i) {
    const double x = rng.Uniform(0.0, kCosineReducibleLimit);
    EXPECT_EQ(Bits(Cosine(-x)), Bits(Cosine(x))) << x;
  }
}

TEST(CosineTest, OutsideTheReducibleRangeGivesNan) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(std::isnan(Cosine(kCosineReducibleLimit)));
  for (const double x : {std::nextafter(kCosineReducibleLimit, 100.0), 100.0,
                         1e22, std::numeric_limits<double>::max()}) {
    EXPECT_TRUE(std::isnan(Cosine(x))) << x;
    EXPECT_TRUE(std::isnan(Cosine(-x))) << x;
  }
  EXPECT_TRUE(std::isnan(Cosine(inf)));
  EXPECT_TRUE(std::isnan(Cosine(-inf)));
  EXPECT_TRUE(std::isnan(Cosine(std::numeric_limits<double>::quiet_NaN())));
}

#endif  // !ONDAVEL_COSINE_SWEEP

}  // namespace
}  // namespace ondavel

#if defined(ONDAVEL_COSINE_SWEEP)
// Usage: cosine_proof_sweep [positions per length, default 2^22]
// For each N = 2^21 .. 2^29, the three arguments at that many random
// positions r (with r = 0, N/4, N/2, 3N/4 and their neighbours always in).
int main(int argc, char** argv) {
  using namespace ondavel;
  const std::string reason = testing::JudgeUnavailableReason();
  if (!reason.empty()) {
    std::printf("cosine_proof_sweep cannot run: %s\n", reason.c_str());
    return 0;
  }
#if defined(ONDAVEL_HAVE_MPFR)
  const int64_t positions =
      argc > 1 ? std::strtoll(argv[1], nullptr, 10) : int64_t{1} << 22;
  testing::RoundingJudge judge;
  JudgeTally total;
  SeededRandom rng(29);
  for (int m = 21; m <= 29; ++m) {
    const int64_t n = int64_t{1} << m;
    JudgeTally tally;
    for (int64_t quarter = 0; quarter < 4; ++quarter) {
      for (int64_t d = -8; d <= 8; ++d) {
        const int64_t r = (quarter * (n / 4) + d + n) % n;
        JudgeWindowArguments(judge, r, static_cast<double>(n), tally);
      }
    }
    for (int64_t i = 0; i < positions; ++i) {
      const auto r = static_cast<int64_t>(rng.Below(static_cast<uint64_t>(n)));
      JudgeWindowArguments(judge, r, static_cast<double>(n), tally);
    }
    char what[32];
    std::snprintf(what, sizeof what, "N = 2^%d", m);
    Print(what, tally);
    total.arguments += tally.arguments;
    total.decidedByMpfr += tally.decidedByMpfr;
    total.wrong += tally.wrong;
    if (tally.maxUlpError > total.maxUlpError) {
      total.maxUlpError = tally.maxUlpError;
      total.worstArgument = tally.worstArgument;
    }
  }
  Print("all lengths", total);
  return total.wrong == 0 && total.maxUlpError <= kMaxMeasuredUlpError ? 0 : 1;
#endif
}
#endif
