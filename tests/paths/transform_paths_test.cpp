// Every vector back-end of the transform against the scalar reference, bit
// for bit: all lengths 1 .. 2^18, the flag combinations, the window types,
// and inputs that carry NaN, infinities, signed zeros and subnormals.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "backend_harness.h"
#include "kernels/kernels.h"

namespace ondavel {
namespace {

constexpr int kMaxLog2 = 18;
// Up to this length every flag combination and input kind is compared.
constexpr int kAllCombinationsMaxLog2 = 12;
constexpr uint32_t kWindowTypes = 15;  // 0 .. 13 and one rectangular alias

enum class Input { kNoise, kZerosAndSubnormals, kNonFinite };

// kNonFinite puts a few NaN (both signs, several payloads) and infinities
// among noise, so the back-ends must also agree on which NaN wins.
std::vector<double> MakeInput(int32_t length, Input kind, uint32_t seed) {
  SeededRandom rng(seed);
  std::vector<double> v = rng.Values(2 * static_cast<size_t>(length), -1, 1);
  if (kind == Input::kZerosAndSubnormals) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double zeros[] = {0.0, -0.0};
    for (double& x : v) {
      const uint64_t pick = rng.Below(5);
      if (pick < 2) x = zeros[pick];
      if (pick == 2) x = tiny * static_cast<double>(rng.Below(1000));
      if (pick == 3) x = -tiny * static_cast<double>(1 + rng.Below(1000));
      if (pick == 4) x *= std::numeric_limits<double>::min();
    }
  } else if (kind == Input::kNonFinite) {
    const double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {inf,
                               -inf,
                               QuietNan(0, false),
                               QuietNan(0, true),
                               QuietNan(0x1234, false),
                               QuietNan(0xBEEF, true),
                               std::numeric_limits<double>::max()};
    for (size_t i = 0, count = 1 + v.size() / 64; i < count; ++i) {
      v[rng.Below(v.size())] = specials[rng.Below(std::size(specials))];
    }
  }
  return v;
}

// What a kernel is asked to do, in the job's own terms: taper or not, the
// direction, and where (if at all) the 1/N factor goes.  The back-ends must
// agree on every combination, whichever of them the exports' flags map to
// (the library tests check that mapping through the exports).
struct JobShape {
  bool window;
  double sign;  // -1 forward, +1 inverse
  bool divideBefore;
  bool divideAfter;
};

std::string Describe(int32_t length, JobShape shape, Input input,
                     uint32_t windowType) {
  return "N=" + std::to_string(length) +
         " window=" + std::to_string(shape.window) +
         " sign=" + std::to_string(shape.sign) +
         " divideBefore=" + std::to_string(shape.divideBefore) +
         " divideAfter=" + std::to_string(shape.divideAfter) +
         " input=" + std::to_string(static_cast<int>(input)) +
         " windowType=" + std::to_string(windowType);
}

std::vector<double> Run(TransformKernel kernel, const Tables& tables,
                        const std::vector<double>& source, JobShape shape) {
  // A pattern no transform produces, so a skipped output shows.
  std::vector<double> out(source.size(), -12345.678);
  kernel({source.data(), out.data(), tables.reorder.data(),
          shape.window ? tables.window.data() : nullptr,
          static_cast<int32_t>(source.size() / 2), shape.sign,
          shape.divideBefore, shape.divideAfter});
  return out;
}

// Every vector back-end against the reference for one case.
void ExpectBackendsMatch(const Tables& tables,
                         const std::vector<double>& source, JobShape shape) {
  const std::vector<double> expected =
      Run(kScalarKernels.transform, tables, source, shape);
  ForEachVectorBackend([&](Backend, const BackendKernels& kernels) {
    EXPECT_TRUE(SameBits("transform", static_cast<int32_t>(source.size() / 2),
                         Run(kernels.transform, tables, source, shape),
                         expected, Nans::kAnyMatches));
  });
}

// Both directions, tapered or not, with no division, the division before
// the passes and the one after them.
std::vector<JobShape> AllJobShapes() {
  std::vector<JobShape> all;
  for (bool window : {false, true}) {
    for (double sign : {-1.0, 1.0}) {
      all.push_back({window, sign, false, false});
      all.push_back({window, sign, true, false});
      all.push_back({window, sign, false, true});
    }
  }
  return all;
}

constexpr JobShape kWindowedForward = {true, -1.0, false, false};

class TransformBackendsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunnableVectorBackends().empty()) {
      GTEST_SKIP() << "no vector back-end on this CPU";
    }
  }
};

TEST_F(TransformBackendsTest, EveryJobShapeAndInputUpTo4096) {
  for (int m = 0; m <= kAllCombinationsMaxLog2; ++m) {
    const int32_t length = int32_t{1} << m;
    const auto tables = TablesFor(length, 12);
    for (Input input :
         {Input::kNoise, Input::kZerosAndSubnormals, Input::kNonFinite}) {
      const std::vector<double> source =
          MakeInput(length, input, 1000 * m + static_cast<uint32_t>(input));
      for (JobShape shape : AllJobShapes()) {
        SCOPED_TRACE(Describe(length, shape, input, 12));
        ExpectBackendsMatch(*tables, source, shape);
      }
    }
  }
}

// Above 4096 the passes all run through the same loops; three shapes cover
// the window, both directions and both division points.
TEST_F(TransformBackendsTest, LargeLengths) {
  const JobShape shapes[] = {
      kWindowedForward, {false, 1.0, true, false}, {false, -1.0, false, true}};
  for (int m = kAllCombinationsMaxLog2 + 1; m <= kMaxLog2; ++m) {
    const int32_t length = int32_t{1} << m;
    const auto tables = TablesFor(length, 12);
    for (Input input : {Input::kNoise, Input::kNonFinite}) {
      const std::vector<double> source =
          MakeInput(length, input, 1000 * m + static_cast<uint32_t>(input));
      for (JobShape shape : shapes) {
        SCOPED_TRACE(Describe(length, shape, input, 12));
        ExpectBackendsMatch(*tables, source, shape);
      }
    }
  }
}

TEST_F(TransformBackendsTest, EveryWindowType) {
  for (int m = 0; m <= kMaxLog2; m += (m < 8 ? 1 : 5)) {
    const int32_t length = int32_t{1} << m;
    const std::vector<double> source = MakeInput(length, Input::kNoise, 7 + m);
    for (uint32_t type = 0; type < kWindowTypes; ++type) {
      SCOPED_TRACE(Describe(length, kWindowedForward, Input::kNoise, type));
      ExpectBackendsMatch(*TablesFor(length, type), source, kWindowedForward);
    }
  }
}

// Through the exports, the back-end chosen by ONDAVEL_ISA at set-up: the
// same bits as the scalar one, and the source left untouched.
TEST_F(TransformBackendsTest, ExportsFollowTheRequestedBackend) {
  struct Flags {
    unsigned char window, normalizeForward, forward;
  };
  const Flags flags[] = {{1, 0, 1}, {0, 0, 0}};
  for (int m : {0, 1, 2, 3, 4, 5, 6, 7, 10, 16}) {
    const int32_t length = int32_t{1} << m;
    const std::vector<double> source =
        MakeInput(length, Input::kNonFinite, 99 + m);
    for (Flags f : flags) {
      SCOPED_TRACE("N=" + std::to_string(length) +
                   " window=" + std::to_string(f.window) +
                   " normalizeForward=" + std::to_string(f.normalizeForward) +
                   " forward=" + std::to_string(f.forward));
      const auto process = [&](const char* backend) {
        EXPECT_TRUE(RequestBackend(backend));
        std::vector<double> out(source.size());
        Ondavel_Construction(length, 12);
        EXPECT_STREQ(BackendName(ActiveBackend()), backend);
        Ondavel_Process(source.data(), out.data(), f.window, f.normalizeForward,
                        f.forward);
        Ondavel_Destruction();
        return out;
      };
      const std::vector<double> expected = process("scalar");
      const std::vector<double> before = source;
      ForEachVectorBackend([&](Backend backend, const BackendKernels&) {
        EXPECT_TRUE(SameBits("Ondavel_Process", length,
                             process(BackendName(backend)), expected,
                             Nans::kAnyMatches));
        EXPECT_TRUE(SameBits("source", length, source, before));
      });
    }
  }
  RequestBackend(nullptr);
}

}  // namespace
}  // namespace ondavel
