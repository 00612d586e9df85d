// Method.  x is reduced by the nearest multiple k of pi/2 (Cody-Waite, k <=
// 15, pi/2 in four parts) to r = x - k pi/2 as a double-double, exact to
// about 2^-100 of r.  cos(r) or sin(r) then comes from its Taylor series in
// z = r^2 (15 terms, truncation below 2^-110 for |r| <= pi/4), evaluated by
// a compensated Horner scheme: every product and sum has its rounding error
// recovered exactly (Dekker's product, two-sums) and gathered in a second
// Horner chain, which gives about twice the precision of a double.
//
// Fast path: only the three leading terms are compensated, the small ones
// are plain doubles, good to 2^-62 of the result; if the result lies within
// that margin of a rounding boundary (about 1% of arguments), the slow path
// compensates every term (about 2^-100).  Every window argument up to
// N = 2^20 is proven correctly rounded this way by tests/paths/cosine_test
// (CosineTest.EveryWindowArgumentUpTo2To20IsCorrectlyRounded), and a sample
// up to N = 2^29 by its cosine_proof_sweep build.
//
// Only +, -, * on doubles, no fused multiply-add (the build forbids
// contraction), no x87: the same bits on every instruction set.
#include "cosine.h"

#include <cmath>
#include <limits>

namespace ondavel {

namespace {

struct DoubleDouble {
  double hi, lo;
};

// hi + lo = a + b exactly, for |a| >= |b| or a == 0.
inline DoubleDouble FastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// hi + lo = a + b exactly, whatever their magnitudes.
inline DoubleDouble TwoSum(double a, double b) {
  const double s = a + b;
  const double bv = s - a;
  return {s, (a - (s - bv)) + (b - bv)};
}

// a = hi + lo with 26-bit halves, whose products are exact (Veltkamp).
inline DoubleDouble Split(double a) {
  const double t = 134217729.0 * a;  // 2^27 + 1
  const double hi = t - (t - a);
  return {hi, a - hi};
}

// The rounding error of a * b (Dekker), given both split and p = a * b.
inline double ProductError(double p, DoubleDouble a, DoubleDouble b) {
  return ((a.hi * b.hi - p) + a.hi * b.lo + a.lo * b.hi) + a.lo * b.lo;
}

// pi/2 = sum of the four parts to 2^-208; the first three have 49
// significant bits, so their products with k < 16 are exact.
constexpr double kHalfPi1 = 0x1.921fb54442d20p+0;
constexpr double kHalfPi2 = -0x1.ee59d9cceba40p-50;
constexpr double kHalfPi3 = 0x1.b839a252049c0p-104;
constexpr double kHalfPi4 = 0x1.114cf98e80417p-156;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// Adding and subtracting 1.5 * 2^52 rounds a small double to an integer.
constexpr double kRoundingShift = 0x1.8p52;
// Fast-path error bound relative to the result, with a margin of 4 over
// the worst case (the plain-double terms from z^3 on, and sin's last
// product).
constexpr double kFastPathBound = 0x1p-60;

constexpr int kTerms = 15;

// (-1)^k / (2k)! and (-1)^k / (2k + 1)!, k = 0 .. 14, as hi + lo: the series
// of cos(r) and sin(r) / r in z = r^2.
constexpr DoubleDouble kCosSeries[kTerms] = {
    {0x1.0000000000000p+0, 0.0},
    {-0x1.0000000000000p-1, 0.0},
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},
    {-0x1.6c16c16c16c17p-10, 0x1.f49f49f49f49fp-65},
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},
    {-0x1.27e4fb7789f5cp-22, -0x1.cbbc05b4fa99ap-76},
    {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},
    {-0x1.93974a8c07c9dp-37, -0x1.05d6f8a2efd1fp-92},
    {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},
    {-0x1.6827863b97d97p-53, -0x1.eec01221a8b0bp-107},
    {0x1.e542ba4020225p-62, 0x1.ea72b4afe3c2fp-120},
    {-0x1.0ce396db7f853p-70, 0x1.aebcdbd20331cp-124},
    {0x1.f2cf01972f578p-80, -0x1.9ada5fcc1ab14p-135},
    {-0x1.88e85fc6a4e5ap-89, 0x1.71c37ebd16540p-143},
    {0x1.0a18a2635085dp-98, 0x1.b9e2e28e1aa54p-153},
};
constexpr DoubleDouble kSinSeries[kTerms] = {
    {0x1.0000000000000p+0, 0.0},
    {-0x1.5555555555555p-3, -0x1.5555555555555p-57},
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},
    {-0x1.a01a01a01a01ap-13, -0x1.a01a01a01a01ap-73},
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},
    {-0x1.ae64567f544e4p-26, 0x1.c062e06d1f209p-80},
    {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},
    {-0x1.ae7f3e733b81fp-41, -0x1.1d8656b0ee8cbp-97},
    {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},
    {-0x1.2f49b46814157p-57, -0x1.2650f61dbdcb4p-112},
    {0x1.71b8ef6dcf572p-66, -0x1.d043ae40c4647p-120},
    {-0x1.761b41316381ap-75, 0x1.3423c7d91404fp-130},
    {0x1.3f3ccdd165fa9p-84, -0x1.58ddadf344487p-139},
    {-0x1.d1ab1c2dccea3p-94, -0x1.054d0c78aea14p-149},
    {0x1.259f98b4358adp-103, 0x1.eaf8c39dd9bc5p-157},
};

// The reduced argument and its square: r = hi + lo, z = r^2 = zHi + zLo
// (to 2^-104 of z), zSplit = Split(zHi).
struct Reduced {
  DoubleDouble r;
  double zHi, zLo;
  DoubleDouble rSplit, zSplit;
};

// c[3] + c[4] z + ... + c[10] z^7 in doubles, by Estrin's scheme (a short
// dependency chain); the terms beyond are below 2^-68 of the result.
inline double FastTail(const DoubleDouble (&c)[kTerms], double z) {
  const double z2 = z * z;
  const double z4 = z2 * z2;
  const double low = (c[3].hi + z * c[4].hi) + z2 * (c[5].hi + z * c[6].hi);
  const double high = (c[7].hi + z * c[8].hi) + z2 * (c[9].hi + z * c[10].hi);
  return low + z4 * high;
}

// sum c[k] z^k as hi + lo: Horner's rule from `top` (the value of the
// terms from kFirstPlain on, divided by z^kFirstPlain) down, each step's
// rounding errors carried exactly into a second chain.  The leading
// coefficients dominate their step's product (|c[k]| > |p|), so a fast
// two-sum suffices.  zLo enters through the derivative, which needs far
// less precision.
template <int kFirstPlain>
DoubleDouble CompensatedSeries(const DoubleDouble (&c)[kTerms],
                               const Reduced& in, double top) {
  double s = top;
  double error = 0.0;
  for (int k = kFirstPlain - 1; k >= 0; --k) {
    const double p = s * in.zHi;
    const double pError = ProductError(p, Split(s), in.zSplit);
    const DoubleDouble sum = FastTwoSum(c[k].hi, p);
    error = error * in.zHi + ((pError + sum.lo) + c[k].lo);
    s = sum.hi;
  }
  // The derivative to 2^-14 suffices on the fast path, to 2^-50 on the
  // slow one.
  constexpr int kSlopeTerms = kFirstPlain < 5 ? 3 : kTerms - 1;
  double slope = kSlopeTerms * c[kSlopeTerms].hi;
  for (int j = kSlopeTerms - 1; j >= 1; --j) {
    slope = j * c[j].hi + in.zHi * slope;
  }
  return FastTwoSum(s, error + in.zLo * slope);
}

// The series of the quadrant's function: cos(r), or sin(r) = r S(z).
template <int kFirstPlain>
DoubleDouble Evaluate(bool sine, const Reduced& in, double top) {
  if (!sine) return CompensatedSeries<kFirstPlain>(kCosSeries, in, top);
  const DoubleDouble s = CompensatedSeries<kFirstPlain>(kSinSeries, in, top);
  const double p = in.r.hi * s.hi;
  const double pError = ProductError(p, in.rSplit, Split(s.hi));
  return FastTwoSum(p, pError + (in.r.hi * s.lo + in.r.lo * s.hi));
}

}  // namespace

double Cosine(double x) {
  const double a = std::fabs(x);  // cos is even
  if (!(a <= kCosineReducibleLimit)) {
    return std::numeric_limits<double>::quiet_NaN();
  }

  // r = a - k pi/2: the first subtraction is exact (Sterbenz), the next
  // parts' products are exact and their sums kept as two-sums.
  const double k = (a * kTwoOverPi + kRoundingShift) - kRoundingShift;
  const double t = a - k * kHalfPi1;
  const DoubleDouble s2 = TwoSum(t, -(k * kHalfPi2));
  const DoubleDouble s3 = TwoSum(s2.hi, -(k * kHalfPi3));
  Reduced in;
  in.r = FastTwoSum(s3.hi, (s2.lo + s3.lo) - k * kHalfPi4);
  in.rSplit = Split(in.r.hi);
  in.zHi = in.r.hi * in.r.hi;
  in.zLo = ProductError(in.zHi, in.rSplit, in.rSplit) +
           (in.r.hi + in.r.hi) * in.r.lo;
  in.zSplit = Split(in.zHi);

  const int quadrant = static_cast<int>(k) & 3;
  const bool sine = (quadrant & 1) != 0;
  const DoubleDouble(&series)[kTerms] = sine ? kSinSeries : kCosSeries;
  DoubleDouble v = Evaluate<3>(sine, in, FastTail(series, in.zHi));
  // Every value within the error bound of v rounds to v.hi: it is the
  // correctly rounded result (rounding is monotonic).
  const double bound = std::fabs(v.hi) * kFastPathBound;
  if ((v.hi + (v.lo - bound)) != (v.hi + (v.lo + bound))) {
    v = Evaluate<kTerms - 1>(sine, in, series[kTerms - 1].hi);
  }
  return (quadrant == 1 || quadrant == 2) ? -v.hi : v.hi;
}

}  // namespace ondavel
