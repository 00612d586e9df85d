// What the processor offers and what the operating system saves of it: the
// raw facts the choice of an instruction-set back-end rests on (backends.h),
// kept apart from reading them so that the choice is a pure function.
#ifndef ONDAVEL_SRC_CPU_FEATURES_H_
#define ONDAVEL_SRC_CPU_FEATURES_H_

#include <cstdint>

namespace ondavel {

enum class Architecture { kOther, kX86, kAarch64 };

struct CpuFeatures {
  Architecture architecture = Architecture::kOther;
  // x86: CPUID leaf 1 (ECX, EDX) and leaf 7 sub-leaf 0 (EBX); 0 where the
  // processor lacks the leaf.
  uint32_t leaf1Ecx = 0;
  uint32_t leaf1Edx = 0;
  uint32_t leaf7Ebx = 0;
  // x86: XCR0, the register state the operating system saves on a context
  // switch; 0 where it does not enable XSAVE (CPUID.1:ECX.OSXSAVE clear).
  uint64_t xcr0 = 0;
};

// The running processor's features.  One implementation per architecture,
// cpu_features_<architecture>.cpp, chosen by the build.
CpuFeatures ReadCpuFeatures();

}  // namespace ondavel

#endif  // ONDAVEL_SRC_CPU_FEATURES_H_
