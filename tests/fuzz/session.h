// What the fuzzer knows of the library's engine during one input, from the
// calls it made: the recorded length, whether tables exist, and which
// instruction-set path the last set-up chose.
#ifndef TESTS_FUZZ_SESSION_H_
#define TESTS_FUZZ_SESSION_H_

#include <cstdint>
#include <vector>

#include "backends.h"
#include "input_reader.h"
#include "kernels/kernels.h"

namespace ondavel_fuzz {

// Lengths that get real tables are at most 2^16, except when the input
// spends a byte on a rare large set-up of 2^17 .. 2^20.  Powers of two above
// 2^20 (valid up to 2^29, 24 bytes of tables per point) are never set up:
// their tables and buffers would take gigabytes.  Any other int32 may be
// recorded; the measures are only called while the recorded length is at
// most 2^20, since their buffers hold N values.  One input builds tables
// for at most 2^20 points longer than 1024 in all (one large set-up, or
// sixteen of 2^16); further set-ups shrink to 1024, keeping every run short.
inline constexpr int32_t kUsualMaxLength = int32_t{1} << 16;
inline constexpr int32_t kRareMaxLength = int32_t{1} << 20;
inline constexpr int32_t kTablePointBudget = int32_t{1} << 20;

struct Session {
  int32_t length = 0;  // as last given to Ondavel_Construction
  bool hasTables = false;
  int32_t tablePointsLeft = kTablePointBudget;
  ondavel::Backend activeBackend = ondavel::Backend::kScalar;
  // The destination of the last transform, offered to the measures as a
  // spectrum a transform really produced.
  std::vector<double> lastSpectrum;
};

// The back-ends this processor runs, scalar first.
const std::vector<ondavel::Backend>& HostBackends();
using ondavel::BackendName;

// Back to the state at load: zero engine, no tables, the scalar kernels.
void ResetLibrary(Session& session);

// Ondavel_Construction with a length, window type and requested path read
// from the input; checks that the request was honoured.
void CallConstruction(InputReader& in, Session& session);
void CallDestruction(Session& session);

}  // namespace ondavel_fuzz

#endif  // TESTS_FUZZ_SESSION_H_
