// GCC and Clang builds on every system (Linux and MinGW alike): CPUID from
// <cpuid.h>, the control registers through inline assembly (no -msse needed
// to compile it).
#include <cstdint>
#include <cstring>

#include "platform/floating_point_mode.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace pellarin::platform {

#if defined(__i386__) || defined(__x86_64__)

namespace {

constexpr uint32_t kCpuidFxsr = 1u << 24;  // leaf 1, EDX
constexpr uint32_t kCpuidSse = 1u << 25;   // leaf 1, EDX
constexpr uint32_t kMxcsrDaz = 1u << 6;
constexpr uint32_t kMxcsrFtz = 1u << 15;
// What FXSAVE leaves as MXCSR_MASK on processors that predate the field.
constexpr uint32_t kDefaultMxcsrMask = 0xFFBF;

// Setting an MXCSR bit the processor lacks faults, and early SSE2 parts lack
// DAZ, so ask the processor itself: FXSAVE stores the writable bits.
bool SupportsDenormalsAreZero(uint32_t cpuid_edx) {
  if ((cpuid_edx & kCpuidFxsr) == 0) return false;
  alignas(16) unsigned char area[512] = {};
  __asm__ volatile("fxsave %0" : "=m"(area));
  uint32_t mask;
  std::memcpy(&mask, area + 28, sizeof mask);
  if (mask == 0) mask = kDefaultMxcsrMask;
  return (mask & kMxcsrDaz) != 0;
}

}  // namespace

FloatingPointMode EnableFlushToZero() {
  FloatingPointMode mode;
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  // Feature bits, not the vendor string: any maker's SSE unit has the modes.
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0 || (edx & kCpuidSse) == 0) {
    return mode;
  }
  uint32_t csr;
  __asm__ volatile("stmxcsr %0" : "=m"(csr));
  csr |= kMxcsrFtz;
  mode.flushToZero = true;
  if (SupportsDenormalsAreZero(edx)) {
    csr |= kMxcsrDaz;
    mode.denormalsAreZero = true;
  }
  __asm__ volatile("ldmxcsr %0" : : "m"(csr));
  return mode;
}

#elif defined(__aarch64__)

// FPCR.FZ flushes subnormal inputs and results alike.
FloatingPointMode EnableFlushToZero() {
  constexpr uint64_t kFpcrFz = uint64_t{1} << 24;
  uint64_t fpcr;
  __asm__ volatile("mrs %0, fpcr" : "=r"(fpcr));
  fpcr |= kFpcrFz;
  __asm__ volatile("msr fpcr, %0" : : "r"(fpcr));
  return {.flushToZero = true, .denormalsAreZero = true};
}

#else

FloatingPointMode EnableFlushToZero() { return {}; }

#endif

}  // namespace pellarin::platform
