// The four per-bin measures: exactly elements 0 .. max(1, N/2) - 1 written,
// nothing around them, the spectrum unchanged; element 0 by its own rule;
// angles in [-pi, pi] on the right side of zero, 0 behind the guard, NaN
// exactly where a sum is; the phase difference the wrapped difference of
// the two phases; ratio and magnitudes close to their exact values; and
// every path agreeing with the scalar one.
#include <Ondavel.h>

#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

#include "buffer_content.h"
#include "calls.h"
#include "comparison.h"
#include "dispatch.h"
#include "guarded_array.h"

namespace ondavel_fuzz {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kGuard = 3.4e-38;
// Relative error allowed for a ratio or magnitude against its value in long
// double: a few roundings (about 4.5 ulp), where the squares neither
// overflow nor underflow.
constexpr long double kRelativeTolerance = 1e-15L;

struct Outputs {
  Outputs(size_t count, ArrayLayout layout)
      : ratio(count, layout),
        phase(count, layout),
        leftPhase(count, layout),
        rightPhase(count, layout),
        leftMagnitude(count, layout),
        rightMagnitude(count, layout) {}

  GuardedArray ratio, phase, leftPhase, rightPhase, leftMagnitude,
      rightMagnitude;
};

struct Named {
  const GuardedArray& array;
  const char* name;
};

std::vector<Named> Arrays(const Outputs& o) {
  return {{o.ratio, "ratio"},
          {o.phase, "phase difference"},
          {o.leftPhase, "left phase"},
          {o.rightPhase, "right phase"},
          {o.leftMagnitude, "left magnitude"},
          {o.rightMagnitude, "right magnitude"}};
}

void CheckWrittenRange(const GuardedArray& a, const char* what,
                       const char* path) {
  if (!a.GuardsIntact()) Fail("%s (%s) wrote outside its array", what, path);
  const size_t unwritten = a.FirstUnwritten(a.size());
  if (unwritten != a.size()) {
    Fail("%s (%s) left element %zu of %zu unwritten", what, path, unwritten,
         a.size());
  }
}

// Sums at bin k, as the header's unpacking forms them: twice L[k] and R[k].
struct Sums {
  double leftRe, leftIm, rightRe, rightIm;
};

Sums SumsAt(const double* z, size_t k, size_t n) {
  const double a = z[2 * k];
  const double b = z[2 * k + 1];
  const double c = z[2 * (n - k)];
  const double d = z[2 * (n - k) + 1];
  return {a + c, b - d, b + d, c - a};
}

// Zero, or far enough from both ends of the range that its square is an
// ordinary double.
bool Ordinary(double v) {
  const double m = std::fabs(v);
  return m == 0.0 || (m >= 1e-150 && m <= 1e150);
}

void CheckAngle(double angle, double im, double re, const char* what, size_t k,
                const char* path) {
  if (std::fabs(re) < kGuard) {
    if (angle != 0.0) {
      Fail("%s %zu (%s) is %a behind the angle guard (real sum %a)", what, k,
           path, angle, re);
    }
    return;
  }
  if (std::isnan(re) || std::isnan(im)) {
    if (!std::isnan(angle)) {
      Fail("%s %zu (%s) is %a for a NaN sum", what, k, path, angle);
    }
    return;
  }
  const bool inRange = std::fabs(angle) <= kPi;
  const bool rightSide = std::signbit(angle) == std::signbit(im);
  const bool rightHalf =
      re > 0.0 ? std::fabs(angle) <= kHalfPi : std::fabs(angle) >= kHalfPi;
  if (!inRange || !rightSide || !rightHalf) {
    Fail("%s %zu (%s) is %a for %a + i %a", what, k, path, angle, re, im);
  }
}

void CheckMagnitude(double magnitude, double re, double im, const char* what,
                    size_t k, const char* path) {
  if (std::isnan(re) || std::isnan(im)) return;
  const long double exact = 0.5L * std::sqrt(static_cast<long double>(re) * re +
                                             static_cast<long double>(im) * im);
  const bool ordinary = Ordinary(re) && Ordinary(im);
  if (std::isnan(magnitude) || std::signbit(magnitude) ||
      (ordinary &&
       !(std::fabs(magnitude - exact) <= kRelativeTolerance * exact))) {
    Fail("%s %zu (%s) is %a for %a + i %a", what, k, path, magnitude, re, im);
  }
}

void CheckRatio(double ratio, const Sums& s, size_t k, const char* path) {
  if (!std::isnan(ratio) && std::signbit(ratio)) {
    Fail("ratio %zu (%s) is negative: %a", k, path, ratio);
  }
  const bool leftZero = s.leftRe == 0.0 && s.leftIm == 0.0;
  // A right bin whose squares vanish (sums below 1e-154) counts as zero in
  // the sum of squares, and 0 / 0 is NaN; only a clearly nonzero right bin
  // must give +infinity.
  const bool rightClear =
      std::fabs(s.rightRe) >= 1e-150 || std::fabs(s.rightIm) >= 1e-150;
  const bool rightNan = std::isnan(s.rightRe) || std::isnan(s.rightIm);
  if (leftZero && rightClear && !rightNan && ratio != INFINITY) {
    Fail("ratio %zu (%s) is %a where the left bin is zero", k, path, ratio);
  }
  if (leftZero || !Ordinary(s.leftRe) || !Ordinary(s.leftIm) ||
      !Ordinary(s.rightRe) || !Ordinary(s.rightIm)) {
    return;
  }
  auto squares = [](double re, double im) {
    return static_cast<long double>(re) * re +
           static_cast<long double>(im) * im;
  };
  const long double quotient =
      squares(s.rightRe, s.rightIm) / squares(s.leftRe, s.leftIm);
  // The quotient of the squares must itself be an ordinary double.
  if (quotient != 0.0L && !(quotient >= 1e-300L && quotient <= 1e300L)) {
    return;
  }
  const long double exact = std::sqrt(quotient);
  if (!(std::fabs(ratio - exact) <= kRelativeTolerance * exact)) {
    Fail("ratio %zu (%s) is %a, about %La expected", k, path, ratio, exact);
  }
}

void CheckPromises(const double* z, int32_t length, const Outputs& o,
                   const char* path) {
  for (const Named& a : Arrays(o)) CheckWrittenRange(a.array, a.name, path);
  if (!SameValue(o.ratio[0], z[1] / z[0])) {
    Fail("ratio 0 (%s) is %a, not Im Z[0] / Re Z[0]", path, o.ratio[0]);
  }
  if (Bits(o.phase[0]) != 0) Fail("phase difference 0 (%s) is not +0", path);
  if (Bits(o.leftPhase[0]) != Bits(kPi) || Bits(o.rightPhase[0]) != Bits(kPi)) {
    Fail("phases 0 (%s) are %a and %a, not pi", path, o.leftPhase[0],
         o.rightPhase[0]);
  }
  if (!SameValue(o.leftMagnitude[0], std::fabs(z[0])) ||
      !SameValue(o.rightMagnitude[0], std::fabs(z[1]))) {
    Fail("magnitudes 0 (%s) are %a and %a for Z[0] = %a + i %a", path,
         o.leftMagnitude[0], o.rightMagnitude[0], z[0], z[1]);
  }
  const size_t n = static_cast<size_t>(length);
  for (size_t k = 1; k < o.ratio.size(); ++k) {
    const Sums s = SumsAt(z, k, n);
    CheckAngle(o.leftPhase[k], s.leftIm, s.leftRe, "left phase", k, path);
    CheckAngle(o.rightPhase[k], s.rightIm, s.rightRe, "right phase", k, path);
    const double wrapped = Ondavel_PhaseNorm(o.rightPhase[k] - o.leftPhase[k]);
    if (!SameValue(o.phase[k], wrapped)) {
      Fail(
          "phase difference %zu (%s) is %a, the wrapped difference of the "
          "phases %a",
          k, path, o.phase[k], wrapped);
    }
    CheckRatio(o.ratio[k], s, k, path);
    CheckMagnitude(o.leftMagnitude[k], s.leftRe, s.leftIm, "left magnitude", k,
                   path);
    CheckMagnitude(o.rightMagnitude[k], s.rightRe, s.rightIm, "right magnitude",
                   k, path);
  }
}

void RunKernels(const ondavel::BackendKernels& kernels, const double* z,
                int32_t length, Outputs& o) {
  kernels.magnitudeRatio(z, o.ratio.data(), length);
  kernels.phaseDifference(z, o.phase.data(), length);
  kernels.channelPhases(z, o.leftPhase.data(), o.rightPhase.data(), length);
  kernels.channelMagnitudes(z, o.leftMagnitude.data(), o.rightMagnitude.data(),
                            length);
}

void RequireSame(const GuardedArray& a, const GuardedArray& b, uint64_t ulps,
                 const char* what, const char* pathA, const char* pathB) {
  for (size_t k = 0; k < a.size(); ++k) {
    const bool agree =
        ulps == 0 ? SameValue(a[k], b[k]) : UlpDistance(a[k], b[k]) <= ulps;
    if (!agree) {
      Fail("%s %zu: %a on %s, %a on %s", what, k, a[k], pathA, b[k], pathB);
    }
  }
}

void ComparePaths(const std::vector<std::unique_ptr<Outputs>>& all) {
  const std::vector<ondavel::Backend>& paths = HostBackends();
  const Outputs& scalar = *all[0];
  for (size_t p = 1; p < all.size(); ++p) {
    const Outputs& o = *all[p];
    const char* name = BackendName(paths[p]);
    RequireSame(o.ratio, scalar.ratio, 0, "ratio", name, "scalar");
    RequireSame(o.leftMagnitude, scalar.leftMagnitude, 0, "left magnitude",
                name, "scalar");
    RequireSame(o.rightMagnitude, scalar.rightMagnitude, 0, "right magnitude",
                name, "scalar");
    // Every path takes its angles from the library's own arctangent.
    RequireSame(o.leftPhase, scalar.leftPhase, 0, "left phase", name, "scalar");
    RequireSame(o.rightPhase, scalar.rightPhase, 0, "right phase", name,
                "scalar");
    RequireSame(o.phase, scalar.phase, 0, "phase difference", name, "scalar");
  }
}

}  // namespace

void CallMeasure(InputReader& in, const Session& session, Measure measure) {
  const ArrayLayout spectrumLayout = ArrayLayout::FromByte(in.Byte());
  const ArrayLayout outputLayout = ArrayLayout::FromByte(in.Byte());
  const int32_t length = session.length;
  // Buffers hold N values; larger recorded lengths are not measured.
  if (length > kRareMaxLength) return;
  const size_t values = length >= 1 ? static_cast<size_t>(length) : 1;
  const size_t written = length >= 2 ? static_cast<size_t>(length / 2) : 1;
  const std::vector<double> content =
      ReadContent(in, 2 * values, session.lastSpectrum);
  GuardedArray spectrum(2 * values, spectrumLayout);
  spectrum.Assign(content);
  const double* z = spectrum.data();

  Outputs viaExport(written, outputLayout);
  switch (measure) {
    case Measure::kMagnitudeRatio:
      Ondavel_ACH_LR(z, viaExport.ratio.data());
      break;
    case Measure::kPhaseDifference:
      Ondavel_PhaseLR(z, viaExport.phase.data());
      break;
    case Measure::kPhases:
      Ondavel_ArgLR(z, viaExport.leftPhase.data(), viaExport.rightPhase.data());
      break;
    case Measure::kMagnitudes:
      Ondavel_MagLR(z, viaExport.leftMagnitude.data(),
                    viaExport.rightMagnitude.data());
      break;
  }

  std::vector<std::unique_ptr<Outputs>> all;
  size_t active = 0;
  for (ondavel::Backend backend : HostBackends()) {
    if (backend == session.activeBackend) active = all.size();
    all.push_back(std::make_unique<Outputs>(written, outputLayout));
    RunKernels(ondavel::KernelsFor(backend), z, length, *all.back());
  }
  if (!spectrum.Equals(content) || !spectrum.GuardsIntact()) {
    Fail("a measure changed its spectrum or wrote around it");
  }
  for (size_t p = 0; p < all.size(); ++p) {
    CheckPromises(z, length, *all[p], BackendName(HostBackends()[p]));
  }
  ComparePaths(all);

  // The export ran the active path: the arrays it was given hold that
  // path's values.
  const std::vector<Named> exported = Arrays(viaExport);
  const std::vector<Named> expected = Arrays(*all[active]);
  const size_t first = measure == Measure::kMagnitudeRatio    ? 0
                       : measure == Measure::kPhaseDifference ? 1
                       : measure == Measure::kPhases          ? 2
                                                              : 4;
  const size_t end = first + (first < 2 ? 1 : 2);
  for (size_t i = first; i < end; ++i) {
    CheckWrittenRange(exported[i].array, exported[i].name, "export");
    RequireSame(exported[i].array, expected[i].array, 0, exported[i].name,
                "the export", BackendName(session.activeBackend));
  }
}

}  // namespace ondavel_fuzz
