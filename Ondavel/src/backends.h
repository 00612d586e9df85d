// The instruction-set back-ends the library knows, how each is detected,
// and the choice among those built into this library.  The list itself, with
// each back-end's flags and vector type, is cmake/Backends.cmake, which
// generates backend_list.inc; a back-end's predicate here checks exactly the
// processor features and saved register state that those flags let the
// compiler use.
#ifndef ONDAVEL_SRC_BACKENDS_H_
#define ONDAVEL_SRC_BACKENDS_H_

#include "cpu_features.h"

namespace ondavel {

// Backend::kScalar, Backend::kSse2, ..., in the list's order.
enum class Backend {
#define ONDAVEL_BACKEND_ENTRY(Symbol, name, built) k##Symbol,
#include "backend_list.inc"
#undef ONDAVEL_BACKEND_ENTRY
};

// Runs<Symbol>: whether `cpu` and its operating system run that back-end.
#define ONDAVEL_BACKEND_ENTRY(Symbol, name, built) \
  bool Runs##Symbol(const CpuFeatures& cpu);
#include "backend_list.inc"
#undef ONDAVEL_BACKEND_ENTRY

struct BackendEntry {
  Backend backend;
  const char* name;  // as the ONDAVEL_ISA environment variable spells it
  bool built;        // compiled into this library (this architecture's)
  bool (*runsOn)(const CpuFeatures& cpu);
};

// Every back-end, lowest first within an architecture: the choice takes
// the last one that is built and runs.
inline constexpr BackendEntry kBackends[] = {
#define ONDAVEL_BACKEND_ENTRY(Symbol, name, built) \
  {Backend::k##Symbol, name, built != 0, Runs##Symbol},
#include "backend_list.inc"
#undef ONDAVEL_BACKEND_ENTRY
};

constexpr const BackendEntry& EntryOf(Backend backend) {
  return kBackends[static_cast<int>(backend)];
}
constexpr const char* BackendName(Backend backend) {
  return EntryOf(backend).name;
}
constexpr bool IsBuilt(Backend backend) { return EntryOf(backend).built; }

static_assert(kBackends[0].backend == Backend::kScalar && kBackends[0].built,
              "the scalar reference comes first and is built everywhere");

// Why this library cannot run `backend` on `cpu`, or null when it can.
const char* WhyNotRunnable(Backend backend, const CpuFeatures& cpu);

// The back-ends a choice may fall on: IsBuilt, or any set a test names.
using Availability = bool (*)(Backend backend);

// The best available back-end that runs on `cpu`; the scalar one at worst.
Backend BestBackendFor(const CpuFeatures& cpu,
                       Availability available = IsBuilt);

// The back-end that `request` (ONDAVEL_ISA's value, or null) names, when it
// is available and runs on `cpu`; otherwise, for no request, an unknown
// name or more than the processor has, the best one.
Backend ChosenBackend(const CpuFeatures& cpu, const char* request,
                      Availability available = IsBuilt);

}  // namespace ondavel

#endif  // ONDAVEL_SRC_BACKENDS_H_
