// Every back-end this host runs against the scalar reference at N = 2^20,
// four times the longest length the other back-end tests sweep: a windowed
// forward and a normalized inverse transform bit for bit, the ratio and
// magnitudes bit for bit, the angles (the vector back-ends' own arctangent)
// identical on every vector back-end and within a few units in the last
// place of std::atan2.  The scalar reference alone takes seconds
// unoptimised, and far longer under the sanitizers, so only optimised
// builds without them run it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "backend_harness.h"
#include "kernels/kernels.h"

namespace ondavel {
namespace {

constexpr int32_t kLength = int32_t{1} << 20;
constexpr size_t kDoubles = 2 * static_cast<size_t>(kLength);
constexpr size_t kBins = kLength / 2;
// Two arctangents within 1 ulp of pi each, their difference and the wrap.
constexpr double kAngleTolerance = 8 * 4.440892098500626e-16;

class LargeLengthBackends : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RunnableBackends(); }
  void SetUp() override {
#if !defined(ONDAVEL_LARGE_LENGTH_TESTS)
    GTEST_SKIP() << "N = 2^20 runs only in optimised builds without "
                    "sanitizers (too slow otherwise)";
#endif
  }
};

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

TEST_F(LargeLengthBackends, TransformsEqualScalar) {
  const auto tables = TablesFor(kLength, 12);
  const std::vector<double> input = RandomValues(kDoubles, 2020);
  auto run = [&](const BackendKernels& kernels, bool forward) {
    std::vector<double> out(kDoubles, -1.0);
    kernels.transform({input.data(), out.data(), tables->reorder.data(),
                       forward ? tables->window.data() : nullptr, kLength,
                       forward ? -1.0 : 1.0, !forward, false});
    return out;
  };
  for (bool forward : {true, false}) {
    const std::vector<double> expected = run(kScalarKernels, forward);
    ForEachVectorBackend([&](Backend, const BackendKernels& kernels) {
      EXPECT_TRUE(SameBits(forward ? "windowed forward" : "inverse", kLength,
                           run(kernels, forward), expected));
    });
  }
}

TEST_F(LargeLengthBackends, MeasuresMatchScalar) {
  // A windowed transform's output: the spectrum Pellarin measures.
  const auto tables = TablesFor(kLength, 12);
  const std::vector<double> input = RandomValues(kDoubles, 4711);
  std::vector<double> spectrum(kDoubles);
  kScalarKernels.transform({input.data(), spectrum.data(),
                            tables->reorder.data(), tables->window.data(),
                            kLength, -1.0, false, false});

  // Ratio, phase difference, left and right phase, left and right magnitude.
  const char* const kNames[] = {"ratio",          "phase difference",
                                "left phase",     "right phase",
                                "left magnitude", "right magnitude"};
  using Measures = std::vector<std::vector<double>>;
  auto run = [&](const BackendKernels& k) {
    Measures m(6, std::vector<double>(kBins, -1.0));
    k.magnitudeRatio(spectrum.data(), m[0].data(), kLength);
    k.phaseDifference(spectrum.data(), m[1].data(), kLength);
    k.channelPhases(spectrum.data(), m[2].data(), m[3].data(), kLength);
    k.channelMagnitudes(spectrum.data(), m[4].data(), m[5].data(), kLength);
    return m;
  };
  const Measures scalar = run(kScalarKernels);
  Measures firstVector;  // the angles of the first vector back-end
  ForEachVectorBackend([&](Backend, const BackendKernels& k) {
    Measures m = run(k);
    for (int i : {0, 4, 5}) {
      EXPECT_TRUE(SameBits(kNames[i], kLength, m[i], scalar[i]));
    }
    for (int i : {1, 2, 3}) {
      EXPECT_LE(LargestAngleDistance(m[i], scalar[i]), kAngleTolerance)
          << kNames[i];
      if (!firstVector.empty()) {
        EXPECT_TRUE(SameBits(kNames[i], kLength, m[i], firstVector[i]));
      }
    }
    if (firstVector.empty()) firstVector = std::move(m);
  });
}

}  // namespace
}  // namespace ondavel
