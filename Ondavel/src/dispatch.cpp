#include "dispatch.h"

#include <cstdlib>
#include <cstring>

#if defined(ONDAVEL_X86_KERNELS)
#include <cpuid.h>
#endif

namespace ondavel {

constinit const KernelSet* activeKernels = &kScalarKernels;

namespace {

#if defined(ONDAVEL_X86_KERNELS)
// Register state the operating system saves on a context switch (XCR0).
uint64_t EnabledRegisterState() {
  uint32_t lo = 0;
  uint32_t hi = 0;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (static_cast<uint64_t>(hi) << 32) | lo;
}

Isa DetectIsa() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return Isa::kSse2;
  const bool osxsave = (ecx & bit_OSXSAVE) != 0;
  const bool avx = (ecx & bit_AVX) != 0;
  if (!osxsave || !avx) return Isa::kSse2;
  const uint64_t xcr0 = EnabledRegisterState();
  constexpr uint64_t kYmmState = 0x6;   // SSE and AVX halves
  constexpr uint64_t kZmmState = 0xE6;  // plus opmask and both ZMM banks
  if ((xcr0 & kYmmState) != kYmmState) return Isa::kSse2;
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0) return Isa::kSse2;
  const bool avx2 = (ebx & bit_AVX2) != 0;
  const bool avx512 = (ebx & bit_AVX512F) != 0 && (ebx & bit_AVX512DQ) != 0;
  if (avx2 && avx512 && (xcr0 & kZmmState) == kZmmState) return Isa::kAvx512;
  if (avx2) return Isa::kAvx2;
  return Isa::kSse2;
}
#else
Isa DetectIsa() { return Isa::kScalar; }
#endif

}  // namespace

// Asked anew at every set-up (a few hundred cycles), so the library keeps no
// hidden state and needs no thread-safe static initialisation.
Isa BestSupportedIsa() { return DetectIsa(); }

Isa RequestedIsa() {
  const Isa best = BestSupportedIsa();
  const char* name = std::getenv("ONDAVEL_ISA");
  if (name == nullptr) return best;
  Isa wanted = best;
  if (std::strcmp(name, "scalar") == 0) wanted = Isa::kScalar;
  if (std::strcmp(name, "sse2") == 0) wanted = Isa::kSse2;
  if (std::strcmp(name, "avx2") == 0) wanted = Isa::kAvx2;
  if (std::strcmp(name, "avx512") == 0) wanted = Isa::kAvx512;
  return wanted < best ? wanted : best;
}

const KernelSet& KernelsFor(Isa isa) {
  switch (isa) {
#if defined(ONDAVEL_X86_KERNELS)
    case Isa::kAvx512:
      return kAvx512Kernels;
    case Isa::kAvx2:
      return kAvx2Kernels;
    case Isa::kSse2:
      return kSse2Kernels;
#endif
    default:
      return kScalarKernels;
  }
}

void SelectKernels() { activeKernels = &KernelsFor(RequestedIsa()); }

}  // namespace ondavel
