// The instruction-set back-ends the library knows, how each is detected,
// and the choice among those built into this library.  Which back-ends are
// built, with which flags and vector type, is listed in cmake/Backends.cmake;
// a back-end's predicate here checks exactly the processor features and
// saved register state that those flags let the compiler use.
#ifndef ONDAVEL_SRC_BACKENDS_H_
#define ONDAVEL_SRC_BACKENDS_H_

#include "cpu_features.h"
#include "kernels/kernels.h"

namespace ondavel {

enum class Isa { kScalar, kSse2, kAvx2, kAvx512, kNeon };

bool RunsAnywhere(const CpuFeatures& cpu);
bool RunsSse2(const CpuFeatures& cpu);
bool RunsAvx2(const CpuFeatures& cpu);
bool RunsAvx512(const CpuFeatures& cpu);
bool RunsNeon(const CpuFeatures& cpu);

struct Backend {
  Isa isa;
  const char* name;  // as ONDAVEL_ISA spells it
  bool (*runsOn)(const CpuFeatures& cpu);
};

// Every back-end, lowest first within an architecture: the choice takes
// the last one that is built and runs.
inline constexpr Backend kBackends[] = {
    {Isa::kScalar, "scalar", RunsAnywhere},
    {Isa::kSse2, "sse2", RunsSse2},
    {Isa::kAvx2, "avx2", RunsAvx2},
    {Isa::kAvx512, "avx512", RunsAvx512},
    {Isa::kNeon, "neon", RunsNeon},
};

constexpr const Backend& BackendOf(Isa isa) {
  for (const Backend& b : kBackends) {
    if (b.isa == isa) return b;
  }
  return kBackends[0];
}

// The kernel set of `isa` in this library, or null where it is not built
// (another architecture's back-end).  kernels/kernel_sets.cpp.
const KernelSet* BuiltKernels(Isa isa);
inline bool IsBuilt(Isa isa) { return BuiltKernels(isa) != nullptr; }

// Why this library cannot run `isa` on `cpu`, or null when it can.
const char* WhyNotRunnable(Isa isa, const CpuFeatures& cpu);

// The back-ends a choice may fall on: IsBuilt, or any set a test names.
using Availability = bool (*)(Isa isa);

// The best available back-end that runs on `cpu`; the scalar one at worst.
Isa BestIsaFor(const CpuFeatures& cpu, Availability available = IsBuilt);

// The back-end that `request` (ONDAVEL_ISA's value, or null) names, when it
// is available and runs on `cpu`; otherwise, for no request, an unknown
// name or more than the processor has, the best one.
Isa ChosenIsa(const CpuFeatures& cpu, const char* request,
              Availability available = IsBuilt);

}  // namespace ondavel

#endif  // ONDAVEL_SRC_BACKENDS_H_
