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
  std::vector<Backend> backends;
  for (Backend backend : RunnableBackends()) {
    if (backend != Backend::kScalar) backends.push_back(backend);
  }
  return backends;
}

}  // namespace ondavel

#endif  // ONDAVEL_TESTS_PATHS_RUNNABLE_BACKENDS_H_
