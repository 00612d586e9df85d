// Every path this host runs against the scalar reference at N = 2^20, four
// times the longest length the other path tests sweep: a windowed forward
// and a normalized inverse transform bit for bit, the ratio and magnitudes
// bit for bit, the angles (the vector paths' own arctangent) identical on
// every vector path and within a few units in the last place of std::atan2.
// The scalar reference alone takes seconds unoptimised, and far longer under
// the sanitizers, so only optimised builds without them run it.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "dispatch.h"
#include "kernels/kernels.h"
#include "reorder_table.h"
#include "runnable_backends.h"
#include "window_table.h"

namespace ondavel {
namespace {

constexpr int kLog2 = 20;
constexpr int32_t kLength = int32_t{1} << kLog2;
constexpr size_t kDoubles = 2 * static_cast<size_t>(kLength);
constexpr size_t kBins = kLength / 2;
// Two arctangents within 1 ulp of pi each, their difference and the wrap.
constexpr double kAngleTolerance = 8 * 4.440892098500626e-16;

class LargeLengthPaths : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RunnableBackends(); }
  void SetUp() override {
#if !defined(ONDAVEL_LARGE_LENGTH_TESTS)
    GTEST_SKIP() << "N = 2^20 runs only in optimised builds without "
                    "sanitizers (too slow otherwise)";
#endif
  }
};

std::vector<double> Noise(uint32_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::vector<double> v(kDoubles);
  for (double& x : v) x = unit(rng);
  return v;
}

// The index of the first double whose bits differ, or -1.
long long FirstDifference(const std::vector<double>& a,
                          const std::vector<double>& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::bit_cast<uint64_t>(a[i]) != std::bit_cast<uint64_t>(b[i])) {
      return static_cast<long long>(i);
    }
  }
  return -1;
}

// The largest distance between two angle arrays, one turn counting as none
// (a difference near pi may wrap to either end).
double LargestAngleDistance(const std::vector<double>& a,
                            const std::vector<double>& b) {
  double largest = 0.0;
  for (size_t i = 0; i < a.size(); ++i) {
    double d = std::fabs(a[i] - b[i]);
    if (d > 3.141592653589793) d = std::fabs(d - 6.283185307179586);
    if (!(d <= largest)) largest = d;  // NaN sticks
  }
  return largest;
}

TEST_F(LargeLengthPaths, TransformsEqualScalar) {
  std::vector<int32_t> reorder(kDoubles);
  std::vector<double> window(kDoubles);
  FillReorderTable(reorder.data(), kLength, kLog2);
  FillWindowTable(window.data(), reorder.data(), kLength, 12);
  const std::vector<double> input = Noise(2020);
  auto run = [&](Backend backend, bool forward) {
    std::vector<double> out(kDoubles, -1.0);
    TransformJob job;
    job.source = input.data();
    job.destination = out.data();
    job.reorderTable = reorder.data();
    job.windowTable = forward ? window.data() : nullptr;
    job.length = kLength;
    job.sign = forward ? -1.0 : 1.0;
    job.divideBeforePasses = !forward;
    job.divideAfterPasses = false;
    KernelsFor(backend).transform(job);
    return out;
  };
  for (bool forward : {true, false}) {
    const std::vector<double> expected = run(Backend::kScalar, forward);
    for (Backend backend : RunnableBackends()) {
      if (backend == Backend::kScalar) continue;
      EXPECT_EQ(FirstDifference(run(backend, forward), expected), -1)
          << BackendName(backend)
          << (forward ? " windowed forward" : " inverse");
    }
  }
}

TEST_F(LargeLengthPaths, MeasuresMatchScalar) {
  // A windowed transform's output: the spectrum Pellarin measures.
  std::vector<int32_t> reorder(kDoubles);
  std::vector<double> window(kDoubles);
  FillReorderTable(reorder.data(), kLength, kLog2);
  FillWindowTable(window.data(), reorder.data(), kLength, 12);
  const std::vector<double> input = Noise(4711);
  std::vector<double> spectrum(kDoubles);
  kScalarKernels.transform({input.data(), spectrum.data(), reorder.data(),
                            window.data(), kLength, -1.0, false, false});

  struct Measures {
    std::vector<double> ratio, phase, leftPhase, rightPhase, leftMagnitude,
        rightMagnitude;
  };
  auto run = [&](Backend backend) {
    const BackendKernels& k = KernelsFor(backend);
    Measures m;
    for (std::vector<double>* v :
         {&m.ratio, &m.phase, &m.leftPhase, &m.rightPhase, &m.leftMagnitude,
          &m.rightMagnitude}) {
      v->assign(kBins, -1.0);
    }
    k.magnitudeRatio(spectrum.data(), m.ratio.data(), kLength);
    k.phaseDifference(spectrum.data(), m.phase.data(), kLength);
    k.channelPhases(spectrum.data(), m.leftPhase.data(), m.rightPhase.data(),
                    kLength);
    k.channelMagnitudes(spectrum.data(), m.leftMagnitude.data(),
                        m.rightMagnitude.data(), kLength);
    return m;
  };
  const Measures scalar = run(Backend::kScalar);
  const Measures* firstVector = nullptr;
  Measures vector;  // the first vector path's results
  for (Backend backend : RunnableBackends()) {
    if (backend == Backend::kScalar) continue;
    SCOPED_TRACE(BackendName(backend));
    Measures m = run(backend);
    EXPECT_EQ(FirstDifference(m.ratio, scalar.ratio), -1) << "ratio";
    EXPECT_EQ(FirstDifference(m.leftMagnitude, scalar.leftMagnitude), -1);
    EXPECT_EQ(FirstDifference(m.rightMagnitude, scalar.rightMagnitude), -1);
    EXPECT_LE(LargestAngleDistance(m.phase, scalar.phase), kAngleTolerance);
    EXPECT_LE(LargestAngleDistance(m.leftPhase, scalar.leftPhase),
              kAngleTolerance);
    EXPECT_LE(LargestAngleDistance(m.rightPhase, scalar.rightPhase),
              kAngleTolerance);
    if (firstVector == nullptr) {
      vector = std::move(m);
      firstVector = &vector;
      continue;
    }
    EXPECT_EQ(FirstDifference(m.phase, firstVector->phase), -1);
    EXPECT_EQ(FirstDifference(m.leftPhase, firstVector->leftPhase), -1);
    EXPECT_EQ(FirstDifference(m.rightPhase, firstVector->rightPhase), -1);
  }
}

}  // namespace
}  // namespace ondavel
