// Set-up and release of the engine: lengths it cannot build tables for,
// repeated set-ups, release and what stays after it.  Leaked tables fail the
// sanitizer build when the test process ends.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <cstdlib>
#include <limits>

#include "tests/library/test_support.h"

namespace ondavel_test {
namespace {

constexpr int32_t kUnsupported[] = {3,
                                    0,
                                    -4,
                                    6,
                                    12,
                                    1000,
                                    1 << 30,
                                    (1 << 30) + 1,
                                    std::numeric_limits<int32_t>::max(),
                                    std::numeric_limits<int32_t>::min()};

void ExpectProcessLeavesDestinationAlone() {
  const std::vector<double> source = RandomValues(32, 1500);
  for (const Flags& flags : AllFlagCombinations()) {
    const std::vector<double> destination = Transform(source, flags);
    for (double v : destination) ASSERT_TRUE(IsSentinel(v));
  }
}

// The recorded length shows in the bin mapping: bin 1 at rate 1 is 1/N.
void ExpectRecordedLength(int32_t length) {
  EXPECT_EQ(Bits(Ondavel_FreqNode(1, 1.0)),
            Bits(1.0 / static_cast<double>(length)))
      << length;
}

TEST(LifecycleTest, UnsupportedLengthsAreRecordedButBuildNoTables) {
  for (int32_t length : kUnsupported) {
    SCOPED_TRACE(length);
    // From a released engine ...
    Ondavel_Construction(length, 12);
    ExpectRecordedLength(length);
    ExpectProcessLeavesDestinationAlone();
    Ondavel_Destruction();
    ExpectRecordedLength(length);
    ExpectProcessLeavesDestinationAlone();
    // ... and replacing a working set-up, whose tables must not be used.
    Ondavel_Construction(16, 1);
    Ondavel_Construction(length, 1);
    ExpectRecordedLength(length);
    ExpectProcessLeavesDestinationAlone();
    Ondavel_Destruction();
  }
}

#if defined(_WIN32)
TEST(LifecycleTest, FailedAllocationLeavesNoTables) {
  GTEST_SKIP() << "needs setrlimit(RLIMIT_AS) to make the allocation fail";
}
#elif !defined(__SANITIZE_ADDRESS__)
// In a child whose address space cannot hold the tables (24 N bytes, here
// 1.5 GiB, the first 512 MiB of which may still succeed): no tables remain,
// the length is recorded, the transform touches nothing.  The sanitizer build
// skips this, its shadow memory needs far more address space than the limit.
[[noreturn]] void SetUpBeyondTheAddressSpaceLimit() {
  const rlimit limit = {1UL << 30, 1UL << 30};
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::exit(2);
  Ondavel_Construction(1 << 26, 12);
  const bool recorded = Ondavel_FreqNode(1, 1.0) == 0x1p-26;
  const std::vector<double> source = RandomValues(32, 1600);
  const std::vector<double> destination =
      Transform(source, AllFlagCombinations()[0]);
  const bool untouched =
      std::all_of(destination.begin(), destination.end(), IsSentinel);
  Ondavel_Destruction();
  std::exit(recorded && untouched ? 0 : 1);
}

TEST(LifecycleTest, FailedAllocationLeavesNoTables) {
  if (ONDAVEL_TEST_CPU_EMULATED) {
    GTEST_SKIP() << "under a user-mode emulator the address-space limit "
                    "binds the emulator itself, not the emulated program";
  }
  EXPECT_EXIT(SetUpBeyondTheAddressSpaceLimit(), ::testing::ExitedWithCode(0),
              "");
}
#endif

TEST(LifecycleTest, SecondSetUpReplacesTheFirst) {
  Ondavel_Construction(64, 12);
  Ondavel_Construction(128, 1);
  const std::vector<double> x = RandomValues(256, 1501);
  std::vector<long double> hann(128);
  for (int n = 0; n < 128; ++n) hann[n] = WindowValueLong(1, n, 128);
  const std::vector<ComplexLong> expected = NaiveDft(x, -1, hann);
  EXPECT_LE(MaxError(Transform(x, {1, 0, 1}), expected),
            1e-13 * MaxMagnitude(expected));
  ExpectRecordedLength(128);
  // Same length, other window: the window table is rebuilt.
  Ondavel_Construction(128, 0);
  EXPECT_EQ(Transform(x, {1, 0, 1}), Transform(x, {0, 0, 1}));
  Ondavel_Destruction();
}

TEST(LifecycleTest, ReleaseKeepsTheLengthAndStopsTheTransform) {
  Ondavel_Construction(256, 12);
  Ondavel_Destruction();
  ExpectRecordedLength(256);
  ExpectProcessLeavesDestinationAlone();
  std::vector<double> ratio(130, Sentinel());
  const std::vector<double> z = RandomValues(512, 1502);
  Ondavel_ACH_LR(z.data(), ratio.data());
  for (int k = 0; k < 130; ++k) EXPECT_EQ(IsSentinel(ratio[k]), k >= 128) << k;
  Ondavel_Destruction();  // a second release does nothing
  ExpectRecordedLength(256);
  ExpectProcessLeavesDestinationAlone();
  // And the engine can be set up again.
  Ondavel_Construction(2, 0);
  EXPECT_EQ(Transform({1, 2, 3, 5}, {0, 0, 1}),
            (std::vector<double>{4, 7, -2, -3}));
  Ondavel_Destruction();
}

}  // namespace
}  // namespace ondavel_test
