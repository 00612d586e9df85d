// AArch64: Advanced SIMD (NEON) with double lanes is part of the base
// architecture, so there is nothing to ask the processor.
#include "cpu_features.h"

namespace ondavel {

CpuFeatures ReadCpuFeatures() {
  CpuFeatures cpu;
  cpu.architecture = Architecture::kAarch64;
  return cpu;
}

}  // namespace ondavel
