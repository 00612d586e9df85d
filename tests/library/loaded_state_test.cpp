// The engine as the library is loaded: length 0 and no tables.  No test in
// this file sets the engine up, so every one of them sees that state, also
// when the whole file runs in one process.
#include <gtest/gtest.h>

#include <limits>

#include "tests/library/test_support.h"

namespace ondavel_test {
namespace {

TEST(LoadedStateTest, ProcessLeavesTheDestinationAsItWas) {
  const std::vector<double> source = RandomValues(64, 1400);
  for (const Flags& flags : AllFlagCombinations()) {
    const std::vector<double> destination = Transform(source, flags);
    for (double v : destination) ASSERT_TRUE(IsSentinel(v));
  }
}

TEST(LoadedStateTest, MeasuresWriteOnlyElementZero) {
  const std::vector<double> z = {-4.0, 3.0};  // the single value Z[0]
  std::vector<double> ratio(4, Sentinel()), phase(4, Sentinel());
  std::vector<double> left_phase(4, Sentinel()), right_phase(4, Sentinel());
  std::vector<double> left_magnitude(4, Sentinel()),
      right_magnitude(4, Sentinel());
  Ondavel_ACH_LR(z.data(), ratio.data());
  Ondavel_PhaseLR(z.data(), phase.data());
  Ondavel_ArgLR(z.data(), left_phase.data(), right_phase.data());
  Ondavel_MagLR(z.data(), left_magnitude.data(), right_magnitude.data());
  EXPECT_EQ(ratio[0], -0.75);
  EXPECT_EQ(Bits(phase[0]), Bits(0.0));
  EXPECT_EQ(left_phase[0], kPi);
  EXPECT_EQ(right_phase[0], kPi);
  EXPECT_EQ(left_magnitude[0], 4.0);
  EXPECT_EQ(right_magnitude[0], 3.0);
  for (const std::vector<double>* v :
       {&ratio, &phase, &left_phase, &right_phase, &left_magnitude,
        &right_magnitude}) {
    for (size_t k = 1; k < v->size(); ++k) EXPECT_TRUE(IsSentinel((*v)[k]));
  }
}

TEST(LoadedStateTest, BinMappingWithLengthZero) {
  EXPECT_EQ(Ondavel_FFT_Node(1000.0, 44100.0), 0);
  EXPECT_EQ(Ondavel_FFT_Node(-1000.0, 44100.0), 0);
  EXPECT_EQ(Ondavel_FFT_Node(1000.0, 0.0), std::numeric_limits<int32_t>::min());
  const double infinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Ondavel_FreqNode(5, 44100.0), infinity);
  EXPECT_EQ(Ondavel_FreqNode(-5, 44100.0), -infinity);
  EXPECT_TRUE(std::isnan(Ondavel_FreqNode(0, 44100.0)));
}

TEST(LoadedStateTest, DestructionWithoutSetUpChangesNothing) {
  Ondavel_Destruction();
  Ondavel_Destruction();
  const std::vector<double> destination =
      Transform(RandomValues(16, 1401), {1, 0, 1});
  for (double v : destination) EXPECT_TRUE(IsSentinel(v));
  EXPECT_EQ(Ondavel_FreqNode(1, 1.0), std::numeric_limits<double>::infinity());
}

}  // namespace
}  // namespace ondavel_test
