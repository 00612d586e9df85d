// Decides whether a double is the correctly rounded value of cos or sin at
// a double argument.  The x87's 80-bit long double settles almost every
// case; where its value lies too near the rounding boundary between two
// doubles, MPFR computes the correctly rounded double itself.
#ifndef ONDAVEL_TESTS_PATHS_ROUNDING_JUDGE_H_
#define ONDAVEL_TESTS_PATHS_ROUNDING_JUDGE_H_

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#if defined(ONDAVEL_HAVE_MPFR)
#include <mpfr.h>
#endif

namespace ondavel::testing {

enum class Function { kCosine, kSine };

struct JudgeTally {
  int64_t arguments = 0;
  int64_t decidedByMpfr = 0;
  int64_t wrong = 0;
  double maxUlpError = 0.0;
  double worstArgument = 0.0;
  double firstWrongArgument = 0.0;
};

// Why the judge cannot run here, or empty when it can.
inline std::string JudgeUnavailableReason() {
#if !defined(ONDAVEL_HAVE_MPFR)
  return "MPFR is not available to this build";
#else
  if (std::numeric_limits<long double>::digits != 64) {
    return "long double is not the x87 80-bit format here";
  }
  return "";
#endif
}

#if defined(ONDAVEL_HAVE_MPFR)
class RoundingJudge {
 public:
  RoundingJudge() {
    mpfr_init2(argument_, 53);
    mpfr_init2(value_, 53);
  }
  ~RoundingJudge() {
    mpfr_clear(argument_);
    mpfr_clear(value_);
  }
  RoundingJudge(const RoundingJudge&) = delete;
  RoundingJudge& operator=(const RoundingJudge&) = delete;

  // Records in `tally` whether y is f(x) correctly rounded to nearest, and
  // its error in ulps of f(x) (against the long double value).
  void Judge(Function f, double x, double y, JudgeTally& tally) {
    ++tally.arguments;
    const long double exact = f == Function::kCosine ? cosl(x) : sinl(x);
    int exponent = 0;
    std::frexp(static_cast<double>(exact), &exponent);
    const long double ulp = std::ldexp(1.0L, exponent - 53);
    const double error = static_cast<double>(
        std::fabs(static_cast<long double>(y) - exact) / ulp);
    if (error > tally.maxUlpError) {
      tally.maxUlpError = error;
      tally.worstArgument = x;
    }
    // The boundaries to y's neighbours, exact in 64 bits; the long double
    // function is within a few of its own ulps (2^-63 each), inside kMargin.
    constexpr long double kMargin = 0x1p-60L;
    const long double y80 = y;
    const long double below =
        (y80 + std::nextafter(y, -std::numeric_limits<double>::infinity())) / 2;
    const long double above =
        (y80 + std::nextafter(y, std::numeric_limits<double>::infinity())) / 2;
    const long double margin = std::fabs(exact) * kMargin;
    bool correct;
    if (exact > below + margin && exact < above - margin) {
      correct = true;
    } else if (exact < below - margin || exact > above + margin) {
      correct = false;
    } else {
      ++tally.decidedByMpfr;
      correct = Exact(f, x) == y;
    }
    if (!correct && tally.wrong++ == 0) tally.firstWrongArgument = x;
  }

  // f(x) correctly rounded, by MPFR.
  double Exact(Function f, double x) {
    mpfr_set_d(argument_, x, MPFR_RNDN);  // exact: 53 bits
    if (f == Function::kCosine) {
      mpfr_cos(value_, argument_, MPFR_RNDN);
    } else {
      mpfr_sin(value_, argument_, MPFR_RNDN);
    }
    return mpfr_get_d(value_, MPFR_RNDN);
  }

 private:
  mpfr_t argument_;
  mpfr_t value_;
};
#endif

}  // namespace ondavel::testing

#endif  // ONDAVEL_TESTS_PATHS_ROUNDING_JUDGE_H_
