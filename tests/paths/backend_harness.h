// What every back-end test shares: the engine's tables for a length and
// window type, the seeded generator, the loop over the back-ends this host
// runs, and a bit-for-bit comparison that names the first difference.
#ifndef ONDAVEL_TESTS_PATHS_BACKEND_HARNESS_H_
#define ONDAVEL_TESTS_PATHS_BACKEND_HARNESS_H_

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Ondavel.h"
#include "backends.h"
#include "cpu_features.h"
#include "dispatch.h"
#include "engine_state.h"
#include "tests/support/seeded_random.h"

namespace ondavel {

using ondavel_test::RandomValues;
using ondavel_test::SeededRandom;

struct Tables {
  std::vector<int32_t> reorder;
  std::vector<double> window;
};

// The tables Ondavel_Construction builds for the engine, copied out once per
// (length, window type); the last few stay cached, since the tests ask for
// the same ones over and over and the long ones take megabytes.
inline std::shared_ptr<const Tables> TablesFor(int32_t length,
                                               uint32_t windowType) {
  struct Cached {
    int32_t length;
    uint32_t windowType;
    std::shared_ptr<const Tables> tables;
  };
  static std::vector<Cached> cache;
  for (const Cached& c : cache) {
    if (c.length == length && c.windowType == windowType) return c.tables;
  }
  Ondavel_Construction(length, windowType);
  auto tables = std::make_shared<Tables>();
  if (engine.reorderTable != nullptr && engine.windowTable != nullptr) {
    const size_t count = static_cast<size_t>(engine.valueCount);
    tables->reorder.assign(engine.reorderTable, engine.reorderTable + count);
    tables->window.assign(engine.windowTable, engine.windowTable + count);
  }
  Ondavel_Destruction();
  if (tables->reorder.size() != 2 * static_cast<size_t>(length)) {
    ADD_FAILURE() << "no tables for N=" << length;
  }
  if (cache.size() == 4) cache.erase(cache.begin());
  cache.push_back({length, windowType, tables});
  return tables;
}

// Every back-end of kBackends that this library holds and this processor
// runs, the scalar one first.  The first call prints each one left out and
// why, so a host that lacks a back-end cannot pass its checks silently.
inline const std::vector<Backend>& RunnableBackends() {
  static const std::vector<Backend> runnable = [] {
    std::vector<Backend> backends;
    const CpuFeatures cpu = ReadCpuFeatures();
    for (const BackendEntry& b : kBackends) {
      if (const char* why = WhyNotRunnable(b.backend, cpu)) {
        std::printf("back-end %-6s not run: %s\n", b.name, why);
      } else {
        backends.push_back(b.backend);
      }
    }
    return backends;
  }();
  return runnable;
}

// The same without the scalar reference.
inline std::vector<Backend> RunnableVectorBackends() {
  std::vector<Backend> backends = RunnableBackends();
  std::erase(backends, Backend::kScalar);
  return backends;
}

// Calls visit(backend, kernels) for each runnable back-end, its name traced
// on any failure inside.
template <class Visit>
void ForEachBackend(const std::vector<Backend>& backends, Visit&& visit) {
  for (Backend backend : backends) {
    SCOPED_TRACE(std::string("back-end ") + BackendName(backend));
    visit(backend, KernelsFor(backend));
  }
}
template <class Visit>
void ForEachBackend(Visit&& visit) {
  ForEachBackend(RunnableBackends(), visit);
}
template <class Visit>
void ForEachVectorBackend(Visit&& visit) {
  ForEachBackend(RunnableVectorBackends(), visit);
}

// Sets ONDAVEL_ISA for the next set-up, or clears it when `name` is null.
inline bool RequestBackend(const char* name) {
#if defined(_WIN32)
  return _putenv_s("ONDAVEL_ISA", name != nullptr ? name : "") == 0;
#else
  return (name != nullptr ? setenv("ONDAVEL_ISA", name, 1)
                          : unsetenv("ONDAVEL_ISA")) == 0;
#endif
}

// A quiet NaN of either sign with `payload` in its low mantissa bits.
inline double QuietNan(uint64_t payload, bool negative) {
  return std::bit_cast<double>(
      (negative ? 0xFFF8000000000000u : 0x7FF8000000000000u) |
      (payload & 0x0007FFFFFFFFFFFFu));
}

inline std::string DoubleAndBits(double v) {
  char text[96];
  std::snprintf(text, sizeof text, "%.17g = %a (0x%016llx)", v, v,
                static_cast<unsigned long long>(std::bit_cast<uint64_t>(v)));
  return text;
}

// Whether any NaN stands for any other: the reference's commutative
// additions pick either NaN operand (the compiler orders them freely).
enum class Nans { kAnyMatches, kSameBits };

// Success when actual[0 .. count) has expected's bits; otherwise names the
// output, the length, the first differing index and both values.
inline ::testing::AssertionResult SameBits(const std::string& output,
                                           int32_t length, const double* actual,
                                           const double* expected, size_t count,
                                           Nans nans = Nans::kSameBits) {
  for (size_t i = 0; i < count; ++i) {
    const double a = actual[i];
    const double e = expected[i];
    const bool same =
        (nans == Nans::kAnyMatches && e != e)
            ? a != a
            : std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(e);
    if (!same) {
      return ::testing::AssertionFailure()
             << output << " N=" << length << ": first difference at index " << i
             << ": " << DoubleAndBits(a) << ", expected " << DoubleAndBits(e);
    }
  }
  return ::testing::AssertionSuccess();
}
inline ::testing::AssertionResult SameBits(const std::string& output,
                                           int32_t length,
                                           const std::vector<double>& actual,
                                           const std::vector<double>& expected,
                                           Nans nans = Nans::kSameBits) {
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure()
           << output << " N=" << length << ": " << actual.size()
           << " values, expected " << expected.size();
  }
  return SameBits(output, length, actual.data(), expected.data(), actual.size(),
                  nans);
}

}  // namespace ondavel

#endif  // ONDAVEL_TESTS_PATHS_BACKEND_HARNESS_H_
