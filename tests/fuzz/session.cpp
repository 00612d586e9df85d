#include "session.h"

#include <Ondavel.h>

#include <bit>
#include <cstdlib>
#include <cstring>

#include "backends.h"
#include "comparison.h"
#include "cpu_features.h"
#include "dispatch.h"
#include "engine_state.h"

namespace ondavel_fuzz {
namespace {

using ondavel::Backend;

// Lengths worth a byte of their own: zero, negatives, odd and even
// non-powers of two, 2^30 and 2^29 + 1 (just past the limit of lengths with
// tables) and the int32 extremes.
constexpr int32_t kSpecialLengths[] = {
    0,          -1,
    -2,         3,
    5,          6,
    7,          12,
    100,        1000,
    65535,      65537,
    1 << 30,    (1 << 29) + 1,
    -(1 << 29), INT32_MIN,
    INT32_MAX,  1 << 21 | 1,
};

constexpr uint8_t kLargeMarker = 0xA5;

int32_t ReadLength(InputReader& in) {
  const uint8_t kind = in.Byte();
  if (kind < 0x80) return int32_t{1} << (kind % 11);      // 1 .. 1024
  if (kind < 0xC0) return int32_t{1} << (11 + kind % 6);  // .. 2^16
  if (kind < 0xF0) {
    const int32_t any = in.I32();
    // A large power of two from raw bytes would build gigabytes of tables.
    if (any > kUsualMaxLength &&
        std::has_single_bit(static_cast<uint32_t>(any))) {
      return kUsualMaxLength;
    }
    return any;
  }
  // The rare large set-up takes a marker byte, so that runs of 0xFF, which
  // mutations make often, do not turn every set-up into a large one.
  if (kind == 0xFE && in.Byte() == kLargeMarker) {
    return int32_t{1} << (17 + in.Byte() % 4);  // 2^17 .. 2^20
  }
  constexpr size_t kCount = sizeof(kSpecialLengths) / sizeof(int32_t);
  return kSpecialLengths[in.Byte() % kCount];
}

uint32_t ReadWindowType(InputReader& in) {
  const uint8_t kind = in.Byte();
  return kind < 0xF0 ? kind % 15 : in.U32();
}

bool HasTables(int32_t length) {
  return length >= 1 && length <= (int32_t{1} << 29) &&
         std::has_single_bit(static_cast<uint32_t>(length));
}

}  // namespace

const std::vector<Backend>& HostBackends() {
  static const std::vector<Backend> paths = [] {
    std::vector<Backend> all;
    const ondavel::CpuFeatures cpu = ondavel::ReadCpuFeatures();
    for (const ondavel::BackendEntry& b : ondavel::kBackends) {
      if (ondavel::WhyNotRunnable(b.backend, cpu) == nullptr)
        all.push_back(b.backend);
    }
    return all;
  }();
  return paths;
}

void ResetLibrary(Session& session) {
  Ondavel_Destruction();
  ondavel::engine = ondavel::EngineState{};
  ondavel::activeKernels = &ondavel::kScalarKernels;
  session = Session{};
}

void CallConstruction(InputReader& in, Session& session) {
  // The request as the environment gives it; a name the library does not
  // know, or none, asks for the best path.
  const uint8_t request = in.Byte() % 7;
  constexpr const char* kRequests[] = {"scalar", "sse2",  "avx2", "avx512",
                                       "mmx",    nullptr, "neon"};
  Backend expected = HostBackends().back();
  if (kRequests[request] == nullptr) {
    unsetenv("ONDAVEL_ISA");
  } else {
    setenv("ONDAVEL_ISA", kRequests[request], 1);
    for (Backend backend : HostBackends()) {
      if (std::strcmp(BackendName(backend), kRequests[request]) == 0)
        expected = backend;
    }
  }
  int32_t length = ReadLength(in);
  // Each input builds tables for a bounded number of points in all; past
  // that, set-ups shrink to 1024 points.
  if (HasTables(length) && length > 1024) {
    if (length > session.tablePointsLeft) {
      length = 1024;
    } else {
      session.tablePointsLeft -= length;
    }
  }
  const uint32_t windowType = ReadWindowType(in);

  Ondavel_Construction(length, windowType);
  session.length = length;
  session.hasTables = HasTables(length);
  session.activeBackend = expected;
  session.lastSpectrum.clear();

  if (ondavel::activeKernels != &ondavel::KernelsFor(expected)) {
    Fail("set-up chose the %s path, asked for %s",
         ondavel::BackendName(ondavel::ActiveBackend()), BackendName(expected));
  }
}

void CallDestruction(Session& session) {
  Ondavel_Destruction();
  session.hasTables = false;
}

}  // namespace ondavel_fuzz
