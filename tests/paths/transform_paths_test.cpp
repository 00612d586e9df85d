// Every instruction-set path of the transform against the scalar reference,
// bit for bit: all lengths 1 .. 2^18, the flag combinations, the window
// types, and inputs that carry NaN, infinities, signed zeros and subnormals.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "Ondavel.h"
#include "dispatch.h"
#include "kernels/kernels.h"
#include "reorder_table.h"
#include "runnable_backends.h"
#include "window_table.h"

namespace ondavel {
namespace {

constexpr int kMaxLog2 = 18;
// Up to this length every flag combination and input kind is compared.
constexpr int kAllCombinationsMaxLog2 = 12;
constexpr uint32_t kWindowTypes = 15;  // 0 .. 13 and one rectangular alias

struct Tables {
  std::vector<int32_t> reorder;
  std::vector<double> window;
};

Tables TablesFor(int32_t length, uint32_t windowType) {
  Tables t;
  t.reorder.resize(2 * static_cast<size_t>(length));
  t.window.resize(t.reorder.size());
  FillReorderTable(t.reorder.data(), length,
                   std::countr_zero(static_cast<uint32_t>(length)));
  FillWindowTable(t.window.data(), t.reorder.data(), length, windowType);
  return t;
}

enum class Input { kNoise, kZerosAndSubnormals, kNonFinite };

double QuietNanWithPayload(uint64_t payload, bool negative) {
  const uint64_t bits = (negative ? 0xFFF8000000000000u : 0x7FF8000000000000u) |
                        (payload & 0x0007FFFFFFFFFFFFu);
  return std::bit_cast<double>(bits);
}

// kNonFinite puts a few NaN (both signs, several payloads) and infinities
// among noise, so the paths must also agree on which NaN wins an operation.
std::vector<double> MakeInput(int32_t length, Input kind, uint32_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  std::vector<double> v(2 * static_cast<size_t>(length));
  for (double& x : v) x = noise(rng);
  if (kind == Input::kZerosAndSubnormals) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    for (double& x : v) {
      switch (rng() % 5) {
        case 0:
          x = 0.0;
          break;
        case 1:
          x = -0.0;
          break;
        case 2:
          x = tiny * static_cast<double>(rng() % 1000);
          break;
        case 3:
          x = -tiny * static_cast<double>(1 + rng() % 1000);
          break;
        default:
          x *= std::numeric_limits<double>::min();
          break;
      }
    }
  } else if (kind == Input::kNonFinite) {
    const double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {inf,
                               -inf,
                               QuietNanWithPayload(0, false),
                               QuietNanWithPayload(0, true),
                               QuietNanWithPayload(0x1234, false),
                               QuietNanWithPayload(0xBEEF, true),
                               std::numeric_limits<double>::max()};
    const size_t count = 1 + v.size() / 64;
    for (size_t i = 0; i < count; ++i) {
      v[rng() % v.size()] = specials[rng() % std::size(specials)];
    }
  }
  return v;
}

// What a kernel is asked to do, in the job's own terms: taper or not, the
// direction, and where (if at all) the 1/N factor goes.  The paths must
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
  TransformJob job;
  job.source = source.data();
  job.destination = out.data();
  job.reorderTable = tables.reorder.data();
  job.windowTable = shape.window ? tables.window.data() : nullptr;
  job.length = static_cast<int32_t>(source.size() / 2);
  job.sign = shape.sign;
  job.divideBeforePasses = shape.divideBefore;
  job.divideAfterPasses = shape.divideAfter;
  kernel(job);
  return out;
}

std::vector<Backend> VectorPaths() { return RunnableVectorBackends(); }

// Which of two NaN operands an addition returns follows the operand order
// of the instruction, and for the commutative additions of a butterfly the
// compiler picks that order freely in the reference (it even differs
// between the two outputs of one butterfly).  So a NaN matches any NaN;
// every other double must match bit for bit.
bool SameBits(double actual, double expected) {
  if (expected != expected) return actual != actual;
  return std::bit_cast<uint64_t>(actual) == std::bit_cast<uint64_t>(expected);
}

// Compares every vector path with the reference for one case; reports the
// first differing double.
void ExpectPathsMatch(const Tables& tables, const std::vector<double>& source,
                      JobShape shape) {
  const std::vector<double> expected =
      Run(kScalarKernels.transform, tables, source, shape);
  for (Backend backend : VectorPaths()) {
    const BackendKernels& kernels = KernelsFor(backend);
    const std::vector<double> actual =
        Run(kernels.transform, tables, source, shape);
    size_t i = 0;
    while (i < expected.size() && SameBits(actual[i], expected[i])) ++i;
    if (i == expected.size()) continue;
    ADD_FAILURE() << BackendName(backend) << ": double " << i << " is "
                  << actual[i] << " (0x" << std::hex
                  << std::bit_cast<uint64_t>(actual[i])
                  << "), the reference has " << std::dec << expected[i]
                  << " (0x" << std::hex << std::bit_cast<uint64_t>(expected[i])
                  << ")";
  }
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

class TransformPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (VectorPaths().empty()) GTEST_SKIP() << "no vector path on this CPU";
  }
};

TEST_F(TransformPathsTest, EveryJobShapeAndInputUpTo4096) {
  for (int m = 0; m <= kAllCombinationsMaxLog2; ++m) {
    const int32_t length = int32_t{1} << m;
    const Tables tables = TablesFor(length, 12);
    for (Input input :
         {Input::kNoise, Input::kZerosAndSubnormals, Input::kNonFinite}) {
      const std::vector<double> source =
          MakeInput(length, input, 1000 * m + static_cast<uint32_t>(input));
      for (JobShape shape : AllJobShapes()) {
        SCOPED_TRACE(Describe(length, shape, input, 12));
        ExpectPathsMatch(tables, source, shape);
      }
    }
  }
}

// Above 4096 the passes all run through the same loops; three shapes cover
// the window, both directions and both division points.
TEST_F(TransformPathsTest, LargeLengths) {
  const JobShape shapes[] = {
      kWindowedForward, {false, 1.0, true, false}, {false, -1.0, false, true}};
  for (int m = kAllCombinationsMaxLog2 + 1; m <= kMaxLog2; ++m) {
    const int32_t length = int32_t{1} << m;
    const Tables tables = TablesFor(length, 12);
    for (Input input : {Input::kNoise, Input::kNonFinite}) {
      const std::vector<double> source =
          MakeInput(length, input, 1000 * m + static_cast<uint32_t>(input));
      for (JobShape shape : shapes) {
        SCOPED_TRACE(Describe(length, shape, input, 12));
        ExpectPathsMatch(tables, source, shape);
      }
    }
  }
}

TEST_F(TransformPathsTest, EveryWindowType) {
  for (int m = 0; m <= kMaxLog2; m += (m < 8 ? 1 : 5)) {
    const int32_t length = int32_t{1} << m;
    const std::vector<double> source = MakeInput(length, Input::kNoise, 7 + m);
    for (uint32_t type = 0; type < kWindowTypes; ++type) {
      SCOPED_TRACE(Describe(length, kWindowedForward, Input::kNoise, type));
      ExpectPathsMatch(TablesFor(length, type), source, kWindowedForward);
    }
  }
}

// Sets ONDAVEL_ISA for the next set-up, or clears it when `value` is null.
bool RequestBackend(const char* value) {
#if defined(_WIN32)
  return _putenv_s("ONDAVEL_ISA", value != nullptr ? value : "") == 0;
#else
  return (value != nullptr ? setenv("ONDAVEL_ISA", value, 1)
                           : unsetenv("ONDAVEL_ISA")) == 0;
#endif
}

// Through the exports, the path chosen by ONDAVEL_ISA at set-up: the same
// bits as the scalar path, and the source left untouched.
TEST_F(TransformPathsTest, ExportsFollowTheRequestedPath) {
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
      std::vector<double> expected(source.size());
      ASSERT_TRUE(RequestBackend("scalar"));
      Ondavel_Construction(length, 12);
      Ondavel_Process(source.data(), expected.data(), f.window,
                      f.normalizeForward, f.forward);
      Ondavel_Destruction();
      for (Backend backend : VectorPaths()) {
        const char* name = BackendName(backend);
        SCOPED_TRACE(name);
        ASSERT_TRUE(RequestBackend(name));
        Ondavel_Construction(length, 12);
        EXPECT_STREQ(BackendName(ActiveBackend()), name);
        const std::vector<double> before = source;
        std::vector<double> actual(source.size());
        Ondavel_Process(source.data(), actual.data(), f.window,
                        f.normalizeForward, f.forward);
        Ondavel_Destruction();
        EXPECT_EQ(std::memcmp(before.data(), source.data(),
                              source.size() * sizeof(double)),
                  0);
        for (size_t i = 0; i < expected.size(); ++i) {
          ASSERT_TRUE(SameBits(actual[i], expected[i])) << "double " << i;
        }
      }
    }
  }
  RequestBackend(nullptr);
}

}  // namespace
}  // namespace ondavel
