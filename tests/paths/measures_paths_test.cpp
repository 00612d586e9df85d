// Every vector back-end of the per-bin measures against its reference, bit
// for bit: the magnitude ratio and magnitudes against the scalar kernels,
// the angles against the scalar formula with std::atan2 replaced by the
// vector arctangent (run on one double).  All lengths 1 .. 2^18 and
// odd recorded lengths; spectra with NaN, infinities, signed zeros,
// subnormals and values at the angle guard; sentinels around every output
// show that exactly the elements 0 .. max(1, N/2) - 1 are written.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "backend_harness.h"
#include "constants.h"
#include "kernels/atan2_simd.h"
#include "kernels/kernels.h"
#include "kernels/measures_scalar.h"
#include "phase_wrap.h"

namespace ondavel {
namespace {

using Limits = std::numeric_limits<double>;

// Written around and beyond each output; no measure produces this NaN.
const double kSentinel = std::bit_cast<double>(uint64_t{0x7FF4DEADBEEF0001u});
constexpr size_t kGuardElements = 4;

double ReferenceAngle(double im, double re) {
  return std::fabs(re) < kAngleGuard
             ? 0.0
             : simd::Atan2(simd::V1{im}, simd::V1{re}).v;
}

void PhaseDifferenceReference(const double* spectrum, double* phase,
                              int32_t length) {
  phase[0] = 0.0;
  for (size_t k = 1, end = UpperBinEnd(length); k < end; ++k) {
    const ChannelSums s = SumsAt(spectrum, k, static_cast<size_t>(length));
    const double right = ReferenceAngle(s.rightIm, s.rightRe);
    const double left = ReferenceAngle(s.leftIm, s.leftRe);
    phase[k] = WrapPhaseStepwise(right - left);
  }
}

void ChannelPhasesReference(const double* spectrum, double* left, double* right,
                            int32_t length) {
  left[0] = kPi;
  right[0] = kPi;
  for (size_t k = 1, end = UpperBinEnd(length); k < end; ++k) {
    const ChannelSums s = SumsAt(spectrum, k, static_cast<size_t>(length));
    left[k] = ReferenceAngle(s.leftIm, s.leftRe);
    right[k] = ReferenceAngle(s.rightIm, s.rightRe);
  }
}

enum class Spectrum { kWorkload, kSpecial };

// kWorkload: values of a transform's output, 1e-3 .. 1e6 in magnitude.
// kSpecial: mostly zeros of both signs (so a sum is often one operand
// exactly, e.g. the guard value), the guard and its neighbours, subnormals,
// infinities, NaN of both signs and several payloads, values whose squares
// overflow or underflow, and some noise.
std::vector<double> MakeSpectrum(int32_t length, Spectrum kind, uint32_t seed) {
  SeededRandom rng(seed);
  // At least two doubles: element 0 reads Z[0] for every length.
  std::vector<double> v(2 * static_cast<size_t>(std::max(length, 1)));
  const double special[] = {0.0,
                            -0.0,
                            kAngleGuard,
                            -kAngleGuard,
                            std::nextafter(kAngleGuard, 0.0),
                            -std::nextafter(kAngleGuard, 0.0),
                            std::nextafter(kAngleGuard, 1.0),
                            Limits::denorm_min(),
                            -Limits::min() / 7.0,
                            1e-200,
                            1e300,
                            -1.0,
                            1.0,
                            Limits::infinity(),
                            -Limits::infinity(),
                            QuietNan(0, false),
                            QuietNan(5, true),
                            QuietNan(6, false)};
  constexpr size_t kSpecialCount = sizeof special / sizeof special[0];
  for (double& x : v) {
    x = rng.Uniform(-1, 1) * std::pow(10.0, rng.Uniform(-3, 6));
    if (kind == Spectrum::kSpecial) {
      const uint64_t pick = rng.Below(2 * kSpecialCount);
      if (pick < 2 * kSpecialCount - 4) x = special[pick % kSpecialCount];
      if (pick % 3 == 0) x = 0.0;
    }
  }
  return v;
}

// An output array with sentinels before and after the elements a measure
// may write; Data() is element 0.
class Output {
 public:
  explicit Output(int32_t length)
      : values_(static_cast<size_t>(std::max(length, 1)) + 2 * kGuardElements,
                kSentinel) {}
  double* Data() { return values_.data() + kGuardElements; }
  const double* Data() const { return values_.data() + kGuardElements; }
  const std::vector<double>& All() const { return values_; }

 private:
  std::vector<double> values_;
};

// Same bits everywhere, and exactly the first max(1, N/2) elements written
// (the reference leaves the sentinels elsewhere).
void ExpectSameBits(const Output& got, const Output& expected, int32_t length,
                    const std::string& what) {
  const size_t written = UpperBinEnd(length);
  const std::vector<double>& e = expected.All();
  for (size_t i = 0; i < e.size(); ++i) {
    const bool inside = i >= kGuardElements && i < kGuardElements + written;
    ASSERT_EQ(
        std::bit_cast<uint64_t>(e[i]) == std::bit_cast<uint64_t>(kSentinel),
        !inside)
        << what << ": reference wrote element " << i - kGuardElements;
  }
  EXPECT_TRUE(SameBits(what, length, got.Data(), expected.Data(), written));
  EXPECT_TRUE(SameBits(what + ", guards included", length, got.All(), e));
}

std::vector<int32_t> Lengths() {
  std::vector<int32_t> lengths = {0, 3, 5, 6, 7, 9, 10, 17, 33, 1000, 1023};
  for (int32_t n = 1; n <= (1 << 18); n *= 2) lengths.push_back(n);
  return lengths;
}

class MeasuresBackends : public ::testing::TestWithParam<Spectrum> {};

TEST_P(MeasuresBackends, RatioAndMagnitudesEqualScalarKernels) {
  const BackendKernels& scalar = KernelsFor(Backend::kScalar);
  uint32_t seed = 1;
  for (int32_t length : Lengths()) {
    const std::vector<double> spectrum =
        MakeSpectrum(length, GetParam(), seed++);
    Output ratio(length), left(length), right(length);
    scalar.magnitudeRatio(spectrum.data(), ratio.Data(), length);
    scalar.channelMagnitudes(spectrum.data(), left.Data(), right.Data(),
                             length);
    ForEachVectorBackend([&](Backend, const BackendKernels& k) {
      Output gotRatio(length), gotLeft(length), gotRight(length);
      k.magnitudeRatio(spectrum.data(), gotRatio.Data(), length);
      k.channelMagnitudes(spectrum.data(), gotLeft.Data(), gotRight.Data(),
                          length);
      ExpectSameBits(gotRatio, ratio, length, "magnitude ratio");
      ExpectSameBits(gotLeft, left, length, "left magnitude");
      ExpectSameBits(gotRight, right, length, "right magnitude");
    });
  }
}

TEST_P(MeasuresBackends, AnglesEqualScalarFormulaWithVectorAtan2) {
  uint32_t seed = 1000;
  for (int32_t length : Lengths()) {
    const std::vector<double> spectrum =
        MakeSpectrum(length, GetParam(), seed++);
    Output phase(length), left(length), right(length);
    PhaseDifferenceReference(spectrum.data(), phase.Data(), length);
    ChannelPhasesReference(spectrum.data(), left.Data(), right.Data(), length);
    ForEachVectorBackend([&](Backend, const BackendKernels& k) {
      Output gotPhase(length), gotLeft(length), gotRight(length);
      k.phaseDifference(spectrum.data(), gotPhase.Data(), length);
      k.channelPhases(spectrum.data(), gotLeft.Data(), gotRight.Data(), length);
      ExpectSameBits(gotPhase, phase, length, "phase difference");
      ExpectSameBits(gotLeft, left, length, "left phase");
      ExpectSameBits(gotRight, right, length, "right phase");
    });
  }
}

INSTANTIATE_TEST_SUITE_P(Spectra, MeasuresBackends,
                         ::testing::Values(Spectrum::kWorkload,
                                           Spectrum::kSpecial),
                         [](const auto& info) {
                           return info.param == Spectrum::kWorkload
                                      ? std::string("Workload")
                                      : std::string("Special");
                         });

// The guard compares the real sum strictly, and the wrap turns pi into -pi
// and -pi into pi: one crafted bin each, on every back-end.
TEST(MeasuresBackendsBoundaries, GuardIsStrictAndWrapFlipsPi) {
  struct Bin {
    double a, b, c, d;  // Z[1] = a + bi, Z[N - 1] = c + di
    bool leftGuarded;   // left angle forced to 0
    double phase;       // expected difference, or NaN for "not checked"
  };
  const double unchecked = Limits::quiet_NaN();
  const double below = std::nextafter(kAngleGuard, 0.0);
  const Bin bins[] = {
      {kAngleGuard, 1.0, 0.0, 0.0, false, unchecked},
      {below, 1.0, 0.0, 0.0, true, unchecked},
      {-kAngleGuard, 1.0, 0.0, 0.0, false, unchecked},
      {-below, 1.0, 0.0, 0.0, true, unchecked},
      {1.0, -1.0, 1.0, -1.0, true, -kPi},  // right angle pi, left 0
      {-1.0, 1.0, -1.0, 1.0, false, kPi},  // left angle pi, right 0
  };
  for (const Bin& bin : bins) {
    for (int32_t length : {4, 8, 64}) {
      std::vector<double> spectrum(2 * static_cast<size_t>(length), 0.0);
      spectrum[2] = bin.a;
      spectrum[3] = bin.b;
      spectrum[2 * (length - 1)] = bin.c;
      spectrum[2 * (length - 1) + 1] = bin.d;
      ForEachVectorBackend([&](Backend, const BackendKernels& k) {
        Output phase(length), left(length), right(length);
        k.phaseDifference(spectrum.data(), phase.Data(), length);
        k.channelPhases(spectrum.data(), left.Data(), right.Data(), length);
        const std::string where =
            "N=" + std::to_string(length) + " a=" + DoubleAndBits(bin.a);
        EXPECT_EQ(left.Data()[1] == 0.0, bin.leftGuarded) << where;
        if (!std::isnan(bin.phase)) {
          EXPECT_EQ(phase.Data()[1], bin.phase) << where;
        }
      });
    }
  }
}

}  // namespace
}  // namespace ondavel
