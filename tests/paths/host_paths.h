// The instruction-set paths this processor can run, for tests that compare
// all of them, and a note on standard output naming those it cannot.
#ifndef ONDAVEL_TESTS_PATHS_HOST_PATHS_H_
#define ONDAVEL_TESTS_PATHS_HOST_PATHS_H_

#include <cstdio>
#include <string>
#include <vector>

#include "dispatch.h"
#include "kernels/kernels.h"

namespace ondavel {

inline const char* IsaName(Isa isa) {
  static const char* const kNames[] = {"scalar", "sse2", "avx2", "avx512"};
  return kNames[static_cast<int>(isa)];
}

// Scalar first, then every vector path up to the best this host has.
inline std::vector<Isa> HostPaths() {
  std::vector<Isa> paths;
  for (int i = 0; i <= static_cast<int>(BestSupportedIsa()); ++i) {
    paths.push_back(static_cast<Isa>(i));
  }
  return paths;
}

// A skipped path is a gap in the coverage, so the run says which.
inline void PrintPathsNotRun() {
  std::string missing;
  for (int i = static_cast<int>(BestSupportedIsa()) + 1;
       i <= static_cast<int>(Isa::kAvx512); ++i) {
    missing += std::string(" ") + IsaName(static_cast<Isa>(i));
  }
  if (!missing.empty()) {
    std::printf("Paths this host cannot run, not compared:%s\n",
                missing.c_str());
  }
}

}  // namespace ondavel

#endif  // ONDAVEL_TESTS_PATHS_HOST_PATHS_H_
