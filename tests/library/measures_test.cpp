// The four per-bin measures of a packed stereo spectrum: their formulas bit
// for bit (the angles within one ulp of std::atan2, since the library uses
// its own arctangent, and exact where atan2 has an exact rule), the listed
// exact cases, how many elements they write, and the separation of two real
// channels with known tones.  They hold on whichever back-end the processor
// takes.
#include <gtest/gtest.h>

#include <limits>

#include "tests/library/test_support.h"

namespace ondavel_test {
namespace {

constexpr double kGuard = 3.4e-38;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Wrap(double v) {
  if (v > 0) {
    while (v >= kPi) v -= kTwoPi;
  } else {
    while (v <= -kPi) v += kTwoPi;
  }
  return v;
}

// The six output arrays of the four exports.  For the expected angles,
// whether they must match to the bit: the guard's zeros, and atan2's exact
// rules for zero and infinite operands.
struct Measures {
  std::vector<double> ratio, phase, leftPhase, rightPhase, leftMagnitude,
      rightMagnitude;
  std::vector<bool> leftExact, rightExact;
};

double GuardedAtan2(double im, double re) {
  return std::fabs(re) < kGuard ? 0.0 : std::atan2(im, re);
}

bool AngleIsExact(double im, double re) {
  return std::fabs(re) < kGuard || im == 0.0 || std::isinf(im) ||
         std::isinf(re);
}

int Written(int n_points) { return std::max(1, n_points / 2); }

// What the exports write for the doubles a = Re Z[k], b = Im Z[k],
// c = Re Z[N-k], d = Im Z[N-k], with every sum, square, quotient and root
// rounded in the defined order.
Measures Expected(const std::vector<double>& z, int n_points) {
  Measures m;
  m.ratio = {z[1] / z[0]};
  m.phase = {0.0};
  m.leftPhase = {kPi};
  m.rightPhase = {kPi};
  m.leftMagnitude = {std::fabs(z[0])};
  m.rightMagnitude = {std::fabs(z[1])};
  m.leftExact = {true};
  m.rightExact = {true};
  for (int k = 1; k < n_points / 2; ++k) {
    const double a = z[2 * k], b = z[2 * k + 1];
    const double c = z[2 * (n_points - k)], d = z[2 * (n_points - k) + 1];
    const double left_re = a + c, left_im = b - d;
    const double right_re = b + d, right_im = c - a;
    const double left_power = left_re * left_re + left_im * left_im;
    const double right_power = right_re * right_re + right_im * right_im;
    m.ratio.push_back(std::sqrt(right_power / left_power));
    m.leftPhase.push_back(GuardedAtan2(left_im, left_re));
    m.rightPhase.push_back(GuardedAtan2(right_im, right_re));
    m.leftExact.push_back(AngleIsExact(left_im, left_re));
    m.rightExact.push_back(AngleIsExact(right_im, right_re));
    m.leftMagnitude.push_back(std::sqrt(left_power) * 0.5);
    m.rightMagnitude.push_back(std::sqrt(right_power) * 0.5);
  }
  return m;
}

// Runs the four exports on outputs of `size` elements, all sentinels first.
Measures Actual(const std::vector<double>& z, size_t size) {
  Measures m;
  for (std::vector<double>* v :
       {&m.ratio, &m.phase, &m.leftPhase, &m.rightPhase, &m.leftMagnitude,
        &m.rightMagnitude}) {
    v->assign(size, Sentinel());
  }
  Ondavel_ACH_LR(z.data(), m.ratio.data());
  Ondavel_PhaseLR(z.data(), m.phase.data());
  Ondavel_ArgLR(z.data(), m.leftPhase.data(), m.rightPhase.data());
  Ondavel_MagLR(z.data(), m.leftMagnitude.data(), m.rightMagnitude.data());
  return m;
}

void ExpectSameBits(const std::vector<double>& actual,
                    const std::vector<double>& expected, const char* name) {
  for (size_t k = 0; k < expected.size(); ++k) {
    const bool same = std::isnan(expected[k])
                          ? std::isnan(actual[k]) && !IsSentinel(actual[k])
                          : Bits(actual[k]) == Bits(expected[k]);
    EXPECT_TRUE(same) << name << "[" << k << "] is " << actual[k]
                      << ", expected " << expected[k];
  }
}

// Angles: the expected bits where `exact`, else within one unit in the last
// place of std::atan2's angle (NaN where it is NaN).
void ExpectAngles(const std::vector<double>& actual,
                  const std::vector<double>& expected,
                  const std::vector<bool>& exact, const char* name) {
  for (size_t k = 0; k < expected.size(); ++k) {
    const double e = expected[k];
    const double a = actual[k];
    bool close;
    if (std::isnan(e)) {
      close = std::isnan(a) && !IsSentinel(a);
    } else if (exact[k]) {
      close = Bits(a) == Bits(e);
    } else {
      const double ulp = std::nextafter(std::fabs(e), kInfinity) - std::fabs(e);
      close = std::fabs(a - e) <= ulp;
    }
    EXPECT_TRUE(close) << name << "[" << k << "] is " << a << ", expected " << e
                       << (exact[k] ? " exactly" : " within 1 ulp");
  }
}

void ExpectMeasures(const std::vector<double>& z, int n_points) {
  const Measures expected = Expected(z, n_points);
  const Measures actual = Actual(z, Written(n_points));
  ExpectSameBits(actual.ratio, expected.ratio, "ratio");
  ExpectAngles(actual.leftPhase, expected.leftPhase, expected.leftExact,
               "left phase");
  ExpectAngles(actual.rightPhase, expected.rightPhase, expected.rightExact,
               "right phase");
  // The phase difference is the wrapped difference of the very angles the
  // channel phases give, bit for bit.
  std::vector<double> wrapped = {0.0};
  for (size_t k = 1; k < expected.phase.size(); ++k) {
    wrapped.push_back(Wrap(actual.rightPhase[k] - actual.leftPhase[k]));
  }
  ExpectSameBits(actual.phase, wrapped, "phase");
  ExpectSameBits(actual.leftMagnitude, expected.leftMagnitude, "left mag");
  ExpectSameBits(actual.rightMagnitude, expected.rightMagnitude, "right mag");
}

TEST(MeasuresTest, FollowTheirFormulasBitForBit) {
  for (int n_points : {1, 2, 3, 4, 5, 8, 64, 4096}) {
    SCOPED_TRACE(n_points);
    const ScopedEngine engine(n_points, 12);
    std::vector<double> z = RandomValues(2 * n_points, 700 + n_points);
    // Spread the magnitudes over many binades.
    const std::vector<double> scale = RandomValues(2 * n_points, 800, -8, 8);
    for (size_t i = 0; i < z.size(); ++i) z[i] *= std::exp2(scale[i]);
    ExpectMeasures(z, n_points);
  }
}

// Bins that sit on the angle guard, on zeros and on non-finite values.
TEST(MeasuresTest, GuardZerosAndNonFiniteValuesBitForBit) {
  constexpr int kN = 64;
  const ScopedEngine engine(kN, 12);
  std::vector<double> z = RandomValues(2 * kN, 900);
  auto set = [&z](int k, double a, double b, double c, double d) {
    z[2 * k] = a;
    z[2 * k + 1] = b;
    z[2 * (kN - k)] = c;
    z[2 * (kN - k) + 1] = d;
  };
  set(1, 0.75, 0.5, -0.75, 0.25);       // left real sum exactly 0
  set(2, 0.5, 0.75, 0.25, -0.75);       // right real sum exactly 0
  set(3, kGuard, 1.0, 0.0, 0.0);        // left real sum exactly at the guard
  set(4, -kGuard, 1.0, 0.0, 0.0);       // ... and its negative
  set(5, 3.3e-38, 1.0, 0.0, 0.0);       // just below the guard
  set(6, 1.0, kGuard, 0.5, 0.0);        // right real sum at the guard
  set(7, 1.0, 3.3e-38, 0.5, 0.0);       // right real sum below it
  set(8, 0.0, 0.0, 0.0, 0.0);           // both channels zero
  set(9, kNaN, 1.0, 0.5, 0.25);         // NaN spreads
  set(10, 1.0, kInfinity, 0.5, 0.25);   // infinite right sum
  set(11, 1.0, -1.0, 1.0, -1.0);        // right is -left: difference pi
  set(12, -1.0, -0.0, -1.0, 0.0);       // left angle atan2(-0, -2)
  set(13, 1e200, 1e200, 1e200, 1e200);  // squares overflow
  set(14, 1e-170, 2e-170, 3e-170, 1e-170);  // squares underflow
  ExpectMeasures(z, kN);
}

TEST(MeasuresTest, ListedExactCases) {
  constexpr int kN = 8;
  const ScopedEngine engine(kN, 12);
  {
    std::vector<double> z(2 * kN, 0.0);
    z[0] = -2.0;
    z[1] = 1.0;
    const Measures m = Actual(z, 4);
    EXPECT_EQ(m.ratio[0], -0.5);
    EXPECT_EQ(m.leftMagnitude[0], 2.0);
    EXPECT_EQ(m.rightMagnitude[0], 1.0);
    EXPECT_EQ(m.leftPhase[0], kPi);
    EXPECT_EQ(m.rightPhase[0], kPi);
    EXPECT_EQ(Bits(m.phase[0]), Bits(0.0));
  }
  {
    std::vector<double> left_only(2 * kN, 0.0), right_only(2 * kN, 0.0);
    for (int n = 0; n < kN; ++n) {
      left_only[2 * n] = 1.0;
      right_only[2 * n + 1] = 1.0;
    }
    const Measures l = Actual(left_only, 4);
    const Measures r = Actual(right_only, 4);
    EXPECT_EQ(l.ratio[0], 0.0);
    EXPECT_EQ(r.ratio[0], kInfinity);
    for (int k = 1; k < 4; ++k) {
      EXPECT_EQ(l.ratio[k], 0.0);
      EXPECT_EQ(l.phase[k], 0.0);
      EXPECT_EQ(l.leftMagnitude[k], 1.0);
      EXPECT_EQ(l.rightMagnitude[k], 0.0);
      EXPECT_EQ(l.leftPhase[k], 0.0);
      EXPECT_EQ(l.rightPhase[k], 0.0);
      EXPECT_EQ(r.ratio[k], kInfinity);
      EXPECT_EQ(r.leftMagnitude[k], 0.0);
      EXPECT_EQ(r.rightMagnitude[k], 1.0);
    }
  }
  {
    // Bin 1: right is the negated left; bin 2: both angles 0 by the guard;
    // bin 3: identical channels.
    std::vector<double> z(2 * kN, 0.0);
    z[2] = z[14] = 1.0;
    z[3] = z[15] = -1.0;
    z[5] = 1.0;
    z[13] = -1.0;
    z[6] = z[11] = 0.3;
    z[7] = z[10] = -1.7;
    const Measures m = Actual(z, 4);
    EXPECT_EQ(m.ratio[1], 1.0);
    EXPECT_EQ(m.leftPhase[1], 0.0);
    EXPECT_EQ(m.rightPhase[1], kPi);
    EXPECT_EQ(m.phase[1], -kPi);
    EXPECT_EQ(m.ratio[2], 0.0);
    EXPECT_EQ(m.leftPhase[2], 0.0);
    EXPECT_EQ(m.rightPhase[2], 0.0);
    EXPECT_EQ(m.phase[2], 0.0);
    EXPECT_EQ(m.ratio[3], 1.0);
    EXPECT_EQ(Bits(m.phase[3]), Bits(0.0));
  }
}

TEST(MeasuresTest, WriteHalfTheRecordedLengthAndNothingBeyond) {
  constexpr int kSpare = 8;
  for (int n_points : {1, 2, 3, 4, 5, 8, 64}) {
    const ScopedEngine engine(n_points, 12);
    // Exactly N values, so that any read beyond them is caught by the
    // address sanitizer build.
    const std::vector<double> z = RandomValues(2 * n_points, 1000 + n_points);
    const Measures m = Actual(z, Written(n_points) + kSpare);
    for (const std::vector<double>* v :
         {&m.ratio, &m.phase, &m.leftPhase, &m.rightPhase, &m.leftMagnitude,
          &m.rightMagnitude}) {
      for (int k = 0; k < Written(n_points) + kSpare; ++k) {
        EXPECT_EQ(IsSentinel((*v)[k]), k >= Written(n_points))
            << "N " << n_points << " element " << k;
      }
    }
  }
}

// Two real channels made of cosines at known bins: where both have a tone,
// the ratio and phase difference are those of the tones; the window tapers
// both channels alike and leaves them unchanged.
TEST(MeasuresTest, SeparateTheChannelsOfAStereoFrame) {
  constexpr int kN = 1024;
  struct Tone {
    int bin;
    long double amplitude, phase;
  };
  const Tone left[] = {{5, 0.8L, 0.3L}, {40, 0.5L, -2.0L}, {100, 0.25L, 2.9L}};
  const Tone right[] = {{5, 0.4L, 1.1L}, {40, 1.0L, 2.5L}, {200, 0.6L, -1.2L}};
  std::vector<double> frame(2 * kN);
  for (int n = 0; n < kN; ++n) {
    long double l = 0, r = 0;
    for (const Tone& t : left) {
      l += t.amplitude * std::cos(kTwoPiLong * (t.bin * n % kN) / kN + t.phase);
    }
    for (const Tone& t : right) {
      r += t.amplitude * std::cos(kTwoPiLong * (t.bin * n % kN) / kN + t.phase);
    }
    frame[2 * n] = static_cast<double>(l);
    frame[2 * n + 1] = static_cast<double>(r);
  }
  for (uint32_t window_type : {0u, 1u, 12u}) {
    SCOPED_TRACE("window " + std::to_string(window_type));
    const ScopedEngine engine(kN, window_type);
    const std::vector<double> spectrum =
        Transform(frame, {window_type != 0, 0, 1});
    const Measures m = Actual(spectrum, kN / 2);
    // A cosine-sum window keeps a0 / d of a tone at its own bin.
    const double gain = kN / 2.0 * WindowMean(window_type);
    for (int i = 0; i < 2; ++i) {
      const Tone& l = left[i];
      const Tone& r = right[i];
      const int k = l.bin;
      EXPECT_NEAR(m.ratio[k], r.amplitude / l.amplitude, 1e-12) << k;
      EXPECT_NEAR(m.phase[k], Wrap(static_cast<double>(r.phase - l.phase)),
                  1e-12)
          << k;
      EXPECT_NEAR(m.leftPhase[k], l.phase, 1e-12) << k;
      EXPECT_NEAR(m.rightPhase[k], r.phase, 1e-12) << k;
      EXPECT_NEAR(m.leftMagnitude[k] / (gain * l.amplitude), 1.0, 1e-12) << k;
      EXPECT_NEAR(m.rightMagnitude[k] / (gain * r.amplitude), 1.0, 1e-12) << k;
    }
    EXPECT_LT(m.ratio[100], 1e-10);  // left only
    EXPECT_GT(m.ratio[200], 1e10);   // right only
    EXPECT_NEAR(m.leftMagnitude[100] / (gain * 0.25), 1.0, 1e-12);
    EXPECT_NEAR(m.rightMagnitude[200] / (gain * 0.6), 1.0, 1e-12);
  }
}

}  // namespace
}  // namespace ondavel_test
