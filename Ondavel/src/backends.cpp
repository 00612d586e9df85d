#include "backends.h"

#include <cstring>

namespace ondavel {

namespace {

// CPUID leaf 1, EDX.
constexpr uint32_t kSse = 1u << 25;
constexpr uint32_t kSse2 = 1u << 26;
// CPUID leaf 1, ECX.
constexpr uint32_t kSse3 = 1u << 0;
constexpr uint32_t kSsse3 = 1u << 9;
constexpr uint32_t kSse41 = 1u << 19;
constexpr uint32_t kSse42 = 1u << 20;
constexpr uint32_t kPopcnt = 1u << 23;
constexpr uint32_t kXsave = 1u << 26;
constexpr uint32_t kOsxsave = 1u << 27;
constexpr uint32_t kAvx = 1u << 28;
// CPUID leaf 7 sub-leaf 0, EBX.
constexpr uint32_t kAvx2 = 1u << 5;
constexpr uint32_t kAvx512F = 1u << 16;
constexpr uint32_t kAvx512Dq = 1u << 17;
constexpr uint32_t kAvx512Bw = 1u << 30;
constexpr uint32_t kAvx512Vl = 1u << 31;
// XCR0: SSE and AVX halves; plus the opmask registers and both ZMM banks.
constexpr uint64_t kYmmState = 0x6;
constexpr uint64_t kZmmState = 0xE6;

bool Has(uint32_t word, uint32_t bits) { return (word & bits) == bits; }
bool Has(uint64_t word, uint64_t bits) { return (word & bits) == bits; }

}  // namespace

bool RunsScalar(const CpuFeatures&) { return true; }

bool RunsSse2(const CpuFeatures& cpu) {
  return cpu.architecture == Architecture::kX86 &&
         Has(cpu.leaf1Edx, kSse | kSse2);
}

// -mavx2: AVX2, AVX and SSE3 .. SSE4.2, POPCNT and XSAVE, with the YMM
// registers saved by the operating system.
bool RunsAvx2(const CpuFeatures& cpu) {
  return RunsSse2(cpu) &&
         Has(cpu.leaf1Ecx, kSse3 | kSsse3 | kSse41 | kSse42 | kPopcnt | kXsave |
                               kOsxsave | kAvx) &&
         Has(cpu.leaf7Ebx, kAvx2) && Has(cpu.xcr0, kYmmState);
}

// -mavx512f -mavx512dq -mavx512vl -mavx512bw: those four on top of
// everything -mavx2 enables, with the ZMM and opmask registers saved.
bool RunsAvx512(const CpuFeatures& cpu) {
  return RunsAvx2(cpu) &&
         Has(cpu.leaf7Ebx, kAvx512F | kAvx512Dq | kAvx512Vl | kAvx512Bw) &&
         Has(cpu.xcr0, kZmmState);
}

// Advanced SIMD is part of the base AArch64 architecture.
bool RunsNeon(const CpuFeatures& cpu) {
  return cpu.architecture == Architecture::kAarch64;
}

const char* WhyNotRunnable(Backend backend, const CpuFeatures& cpu) {
  if (!IsBuilt(backend)) return "not built for this architecture";
  if (!EntryOf(backend).runsOn(cpu)) {
    return "this processor or its operating system lacks it";
  }
  return nullptr;
}

Backend BestBackendFor(const CpuFeatures& cpu, Availability available) {
  Backend best = Backend::kScalar;
  for (const BackendEntry& b : kBackends) {
    if (available(b.backend) && b.runsOn(cpu)) best = b.backend;
  }
  return best;
}

Backend ChosenBackend(const CpuFeatures& cpu, const char* request,
                      Availability available) {
  if (request != nullptr) {
    for (const BackendEntry& b : kBackends) {
      if (std::strcmp(request, b.name) == 0 && available(b.backend) &&
          b.runsOn(cpu)) {
        return b.backend;
      }
    }
  }
  return BestBackendFor(cpu, available);
}

}  // namespace ondavel
