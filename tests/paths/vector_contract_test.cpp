// The vector contract (kernels/simd/vector_contract.h) lane by lane, on
// every back-end this host runs, in code compiled with that back-end's
// flags (vector_contract_checks_backend.cpp): each failing lane is named,
// e.g. "avx2 V4 Min lane 3: got ... expected ...".
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "backend_harness.h"
#include "vector_contract_checks.h"

#define ONDAVEL_VECTOR_CHECKS(Backend) ONDAVEL_DECLARE_VECTOR_CHECKS(Backend)
#include "vector_contract_backends.inc"
#undef ONDAVEL_VECTOR_CHECKS

namespace ondavel {
namespace {

using vector_contract::ReportFailure;

using BackendId = Backend;
struct BackendChecks {
  BackendId backend;
  int (*run)(ReportFailure report, void* context);
};
#define ONDAVEL_VECTOR_CHECKS(Backend) \
  {BackendId::k##Backend, &vector_contract::CheckVectorContract##Backend},
constexpr BackendChecks kBuiltChecks[] = {
#include "vector_contract_backends.inc"
};
#undef ONDAVEL_VECTOR_CHECKS

std::string Describe(const char* primitive, int lanes, int lane, uint64_t got,
                     uint64_t expected) {
  double gotValue;
  double expectedValue;
  std::memcpy(&gotValue, &got, sizeof got);
  std::memcpy(&expectedValue, &expected, sizeof expected);
  char text[256];
  std::snprintf(text, sizeof text,
                "V%d %s lane %d: got %.17g (0x%016" PRIx64
                ") expected %.17g (0x%016" PRIx64 ")",
                lanes, primitive, lane, gotValue, got, expectedValue, expected);
  return text;
}

TEST(VectorContract, EveryPrimitiveMatchesTheScalarModelInEveryLane) {
  const std::vector<BackendId> runnable = RunnableVectorBackends();
  for (const BackendId backend : runnable) {
    const char* name = BackendName(backend);
    const BackendChecks* checks = nullptr;
    for (const BackendChecks& c : kBuiltChecks) {
      if (c.backend == backend) checks = &c;
    }
    ASSERT_NE(checks, nullptr) << "no contract checks built for " << name;
    std::vector<std::string> failures;
    const int compared = checks->run(
        [](void* context, const char* primitive, int lanes, int lane,
           uint64_t got, uint64_t expected) {
          static_cast<std::vector<std::string>*>(context)->push_back(
              Describe(primitive, lanes, lane, got, expected));
        },
        &failures);
    EXPECT_GT(compared, 10000) << name;
    constexpr size_t kShown = 40;
    for (size_t i = 0; i < failures.size() && i < kShown; ++i) {
      ADD_FAILURE() << name << " " << failures[i];
    }
    EXPECT_EQ(failures.size(), 0u)
        << name << ": " << failures.size() << " lanes differ (first " << kShown
        << " shown)";
  }
}

}  // namespace
}  // namespace ondavel
