// The twiddle step, the butterfly and the pass step are one template each,
// run on plain doubles by the reference and in vector lanes elsewhere: each
// lane must give the double's result for the same operands, awkward ones
// included.  (Whole transforms are compared path by path elsewhere; this
// pins each operation on operands no transform input reaches.)
#include "kernels/transform/pass_arithmetic.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "kernels/simd/vec.h"

namespace ondavel {
namespace {

using simd::V2;

// Equal bits, or NaN in both (NaN sign and payload may differ by path).
void ExpectSame(double expected, double actual) {
  if (std::isnan(expected) && std::isnan(actual)) return;
  EXPECT_EQ(std::bit_cast<uint64_t>(expected), std::bit_cast<uint64_t>(actual))
      << expected << " vs " << actual;
}

std::vector<double> AwkwardOperands() {
  using L = std::numeric_limits<double>;
  return {0.0,
          -0.0,
          L::denorm_min(),
          -L::denorm_min(),
          L::min(),
          L::max(),
          -L::max(),
          L::infinity(),
          -L::infinity(),
          L::quiet_NaN(),
          1.0,
          -0.7071067811865476,
          3e-160,
          1.0000000000000002};
}

TEST(PassArithmeticTest, VectorLanesGiveTheDoublesResults) {
  const std::vector<double> x = AwkwardOperands();
  const size_t n = x.size();
  for (size_t i = 0; i < n * n * n * n; ++i) {
    // Operands a, b, c, d in lane 0; lane 1 the same, rotated.
    const double a = x[i % n], b = x[i / n % n], c = x[i / n / n % n],
                 d = x[i / n / n / n];
    alignas(16) const double l0[4] = {a, b, c, d};
    alignas(16) const double l1[4] = {d, c, b, a};
    const auto lane = [](V2 v, int k) {
      alignas(16) double out[2];
      v.Store(out);
      return out[k];
    };
    const auto pair = [&](int k) {
      alignas(16) const double p[2] = {l0[k], l1[k]};
      return V2::Load(p);
    };
    for (int k = 0; k < 2; ++k) {
      const double* s = k == 0 ? l0 : l1;
      V2 wr = pair(0), wi = pair(1);
      double swr = s[0], swi = s[1];
      AdvanceTwiddle(wr, wi, pair(2), pair(3));
      AdvanceTwiddle(swr, swi, s[2], s[3]);
      ExpectSame(swr, lane(wr, k));
      ExpectSame(swi, lane(wi, k));

      V2 tr = pair(0), ti = pair(1), br = pair(2), bi = pair(3);
      double str = s[0], sti = s[1], sbr = s[2], sbi = s[3];
      Butterfly(tr, ti, br, bi, pair(1), pair(2));
      Butterfly(str, sti, sbr, sbi, s[1], s[2]);
      ExpectSame(str, lane(tr, k));
      ExpectSame(sti, lane(ti, k));
      ExpectSame(sbr, lane(br, k));
      ExpectSame(sbi, lane(bi, k));

      const PassStep<V2> step = PassStepFrom(pair(0), pair(1));
      const PassStep<double> sstep = PassStepFrom(s[0], s[1]);
      ExpectSame(sstep.wpr, lane(step.wpr, k));
      ExpectSame(sstep.wpi, lane(step.wpi, k));
    }
    if (HasFailure()) {
      ADD_FAILURE() << "operands " << a << " " << b << " " << c << " " << d;
      return;
    }
  }
}

}  // namespace
}  // namespace ondavel
