// The instruction-set back-ends the path tests run on this host.
#ifndef ONDAVEL_TESTS_PATHS_RUNNABLE_BACKENDS_H_
#define ONDAVEL_TESTS_PATHS_RUNNABLE_BACKENDS_H_

#include <cstdio>
#include <vector>

#include "backends.h"
#include "cpu_features.h"

namespace ondavel {

// Every back-end of kBackends that this library holds and this processor
// runs, the scalar one first.  The first call prints each one left out and
// why, so a host that lacks a back-end cannot pass its checks silently.
inline const std::vector<Isa>& RunnableBackends() {
  static const std::vector<Isa> runnable = [] {
    std::vector<Isa> isas;
    const CpuFeatures cpu = ReadCpuFeatures();
    for (const Backend& b : kBackends) {
      if (const char* why = WhyNotRunnable(b.isa, cpu)) {
        std::printf("back-end %-6s not run: %s\n", b.name, why);
      } else {
        isas.push_back(b.isa);
      }
    }
    return isas;
  }();
  return runnable;
}

// The same without the scalar reference.
inline std::vector<Isa> RunnableVectorBackends() {
  std::vector<Isa> isas;
  for (Isa isa : RunnableBackends()) {
    if (isa != Isa::kScalar) isas.push_back(isa);
  }
  return isas;
}

}  // namespace ondavel

#endif  // ONDAVEL_TESTS_PATHS_RUNNABLE_BACKENDS_H_
