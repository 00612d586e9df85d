// The instruction-set paths this processor can run, for tests that compare
// all of them, and a note on standard output naming those it cannot.
#ifndef ONDAVEL_TESTS_PATHS_HOST_PATHS_H_
#define ONDAVEL_TESTS_PATHS_HOST_PATHS_H_

#include <vector>

#include "backends.h"
#include "runnable_backends.h"

namespace ondavel {

inline const char* IsaName(Isa isa) { return BackendOf(isa).name; }

// Scalar first, then every vector path this host runs.
inline std::vector<Isa> HostPaths() { return RunnableBackends(); }

// A skipped path is a gap in the coverage, so the run says which (once).
inline void PrintPathsNotRun() { RunnableBackends(); }

}  // namespace ondavel

#endif  // ONDAVEL_TESTS_PATHS_HOST_PATHS_H_
