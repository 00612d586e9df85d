// CPUID and XCR0 on x86 (32- and 64-bit).
#include <cpuid.h>

#include "cpu_features.h"

namespace ondavel {

CpuFeatures ReadCpuFeatures() {
  CpuFeatures cpu;
  cpu.architecture = Architecture::kX86;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return cpu;
  cpu.leaf1Ecx = ecx;
  cpu.leaf1Edx = edx;
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0) {
    cpu.leaf7Ebx = ebx;
  }
  // XGETBV faults unless the operating system has enabled XSAVE.
  if ((cpu.leaf1Ecx & bit_OSXSAVE) != 0) {
    uint32_t lo = 0;
    uint32_t hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    cpu.xcr0 = (static_cast<uint64_t>(hi) << 32) | lo;
  }
  return cpu;
}

}  // namespace ondavel
