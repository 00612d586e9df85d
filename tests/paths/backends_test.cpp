// The choice of an instruction-set back-end as a pure function of the
// processor's feature bits and the operating system's saved register state,
// on made-up processors (so every case runs on every host), and the table
// of back-ends against the kernel sets built into this library.
#include "backends.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "cpu_features.h"
#include "dispatch.h"
#include "kernels/kernels.h"

namespace ondavel {
namespace {

// The bit positions as the processor manuals give them.
constexpr uint32_t kLeaf1EdxSseSse2 = (1u << 25) | (1u << 26);
// SSE3, SSSE3, SSE4.1, SSE4.2, POPCNT, XSAVE, OSXSAVE, AVX.
constexpr uint32_t kLeaf1EcxAvxAndBelow = (1u << 0) | (1u << 9) | (1u << 19) |
                                          (1u << 20) | (1u << 23) | (1u << 26) |
                                          (1u << 27) | (1u << 28);
constexpr uint32_t kOsxsave = 1u << 27;
constexpr uint32_t kLeaf7Avx2 = 1u << 5;
constexpr uint32_t kLeaf7Avx512F = 1u << 16;
constexpr uint32_t kLeaf7Avx512Dq = 1u << 17;
constexpr uint32_t kLeaf7Avx512Bw = 1u << 30;
constexpr uint32_t kLeaf7Avx512Vl = 1u << 31;
constexpr uint32_t kLeaf7Avx512 =
    kLeaf7Avx512F | kLeaf7Avx512Dq | kLeaf7Avx512Bw | kLeaf7Avx512Vl;
constexpr uint64_t kXcr0Sse = 0x3;         // x87 and SSE state
constexpr uint64_t kXcr0Ymm = 0x7;         // plus the upper YMM halves
constexpr uint64_t kXcr0Zmm = 0xE7;        // plus opmask and both ZMM banks
constexpr uint64_t kXcr0NoHighZmm = 0x67;  // ZMM16-31 not saved

CpuFeatures X86(uint32_t leaf1Ecx, uint32_t leaf7Ebx, uint64_t xcr0) {
  CpuFeatures cpu;
  cpu.architecture = Architecture::kX86;
  cpu.leaf1Edx = kLeaf1EdxSseSse2;
  cpu.leaf1Ecx = leaf1Ecx;
  cpu.leaf7Ebx = leaf7Ebx;
  cpu.xcr0 = xcr0;
  return cpu;
}

CpuFeatures FullAvx512() {
  return X86(kLeaf1EcxAvxAndBelow, kLeaf7Avx2 | kLeaf7Avx512, kXcr0Zmm);
}
CpuFeatures Avx2Only() {
  return X86(kLeaf1EcxAvxAndBelow, kLeaf7Avx2, kXcr0Ymm);
}

// As if every back-end of every architecture were built here.
bool EveryBackend(Backend) { return true; }

Backend Best(const CpuFeatures& cpu) {
  return BestBackendFor(cpu, EveryBackend);
}
Backend Chosen(const CpuFeatures& cpu, const char* request) {
  return ChosenBackend(cpu, request, EveryBackend);
}

TEST(BestBackendForTest, FollowsTheFeatureBits) {
  EXPECT_EQ(Best(FullAvx512()), Backend::kAvx512);
  EXPECT_EQ(Best(Avx2Only()), Backend::kAvx2);
  EXPECT_EQ(Best(X86(0, 0, 0)), Backend::kSse2);
  CpuFeatures noSse2 = X86(0, 0, 0);
  noSse2.leaf1Edx = 1u << 25;
  EXPECT_EQ(Best(noSse2), Backend::kScalar);
  CpuFeatures arm;
  arm.architecture = Architecture::kAarch64;
  EXPECT_EQ(Best(arm), Backend::kNeon);
  EXPECT_EQ(Best(CpuFeatures{}), Backend::kScalar);
}

TEST(BestBackendForTest, OperatingSystemMustSaveTheRegisters) {
  // AVX state not saved: neither AVX2 nor AVX-512, whatever the processor.
  EXPECT_EQ(
      Best(X86(kLeaf1EcxAvxAndBelow, kLeaf7Avx2 | kLeaf7Avx512, kXcr0Sse)),
      Backend::kSse2);
  // The bits of XCR0 do not count without OSXSAVE.
  EXPECT_EQ(Best(X86(kLeaf1EcxAvxAndBelow & ~kOsxsave,
                     kLeaf7Avx2 | kLeaf7Avx512, kXcr0Zmm)),
            Backend::kSse2);
  // YMM saved but not ZMM, or not the upper ZMM bank.
  EXPECT_EQ(
      Best(X86(kLeaf1EcxAvxAndBelow, kLeaf7Avx2 | kLeaf7Avx512, kXcr0Ymm)),
      Backend::kAvx2);
  EXPECT_EQ(Best(X86(kLeaf1EcxAvxAndBelow, kLeaf7Avx2 | kLeaf7Avx512,
                     kXcr0NoHighZmm)),
            Backend::kAvx2);
}

TEST(BestBackendForTest, EveryFeatureTheFlagsEnableIsRequired) {
  // AVX-512 F and DQ alone: the objects also use VL and BW encodings.
  EXPECT_EQ(Best(X86(kLeaf1EcxAvxAndBelow,
                     kLeaf7Avx2 | kLeaf7Avx512F | kLeaf7Avx512Dq, kXcr0Zmm)),
            Backend::kAvx2);
  for (uint32_t missing : {kLeaf7Avx512F, kLeaf7Avx512Dq, kLeaf7Avx512Bw,
                           kLeaf7Avx512Vl, kLeaf7Avx2}) {
    EXPECT_NE(Best(X86(kLeaf1EcxAvxAndBelow,
                       (kLeaf7Avx2 | kLeaf7Avx512) & ~missing, kXcr0Zmm)),
              Backend::kAvx512)
        << "leaf 7 EBX without bit mask " << missing;
  }
  // -mavx2 lets the compiler use everything from SSE3 to AVX.
  for (int bit = 0; bit < 32; ++bit) {
    const uint32_t mask = 1u << bit;
    if ((kLeaf1EcxAvxAndBelow & mask) == 0) continue;
    EXPECT_EQ(Best(X86(kLeaf1EcxAvxAndBelow & ~mask, kLeaf7Avx2, kXcr0Ymm)),
              Backend::kSse2)
        << "leaf 1 ECX without bit " << bit;
  }
  // And never an x86 back-end on another architecture, or NEON on x86.
  CpuFeatures armWithX86Bits = FullAvx512();
  armWithX86Bits.architecture = Architecture::kAarch64;
  EXPECT_EQ(Best(armWithX86Bits), Backend::kNeon);
  CpuFeatures otherWithX86Bits = FullAvx512();
  otherWithX86Bits.architecture = Architecture::kOther;
  EXPECT_EQ(Best(otherWithX86Bits), Backend::kScalar);
}

TEST(ChosenBackendTest, HonoursARequestTheProcessorCanRun) {
  EXPECT_EQ(Chosen(FullAvx512(), "scalar"), Backend::kScalar);
  EXPECT_EQ(Chosen(FullAvx512(), "sse2"), Backend::kSse2);
  EXPECT_EQ(Chosen(FullAvx512(), "avx2"), Backend::kAvx2);
  EXPECT_EQ(Chosen(FullAvx512(), "avx512"), Backend::kAvx512);
  CpuFeatures arm;
  arm.architecture = Architecture::kAarch64;
  EXPECT_EQ(Chosen(arm, "scalar"), Backend::kScalar);
  EXPECT_EQ(Chosen(arm, "neon"), Backend::kNeon);
}

TEST(ChosenBackendTest, FallsBackToTheBest) {
  // No request, an unknown name, or a near miss.
  EXPECT_EQ(Chosen(FullAvx512(), nullptr), Backend::kAvx512);
  for (const char* unknown : {"", "AVX2", "avx", "sse2 ", "fast", "neon2"}) {
    EXPECT_EQ(Chosen(FullAvx512(), unknown), Backend::kAvx512) << unknown;
  }
  // More than the processor has, or another architecture's back-end.
  EXPECT_EQ(Chosen(Avx2Only(), "avx512"), Backend::kAvx2);
  EXPECT_EQ(Chosen(X86(0, 0, 0), "avx2"), Backend::kSse2);
  EXPECT_EQ(Chosen(FullAvx512(), "neon"), Backend::kAvx512);
  CpuFeatures arm;
  arm.architecture = Architecture::kAarch64;
  EXPECT_EQ(Chosen(arm, "sse2"), Backend::kNeon);
  // A back-end that is not available is never chosen.
  const auto withoutAvx512 = [](Backend backend) {
    return backend != Backend::kAvx512;
  };
  EXPECT_EQ(ChosenBackend(FullAvx512(), "avx512", withoutAvx512),
            Backend::kAvx2);
  EXPECT_EQ(BestBackendFor(FullAvx512(), withoutAvx512), Backend::kAvx2);
}

// The list against this library: unique names and kernel tables, the scalar
// table built everywhere, a table exactly for the back-ends the list marks
// built, and the choice on this host never falling on something this library
// cannot run.
TEST(BackendTableTest, MatchesTheBuiltKernelTables) {
  std::set<std::string> names;
  std::set<const BackendKernels*> tables;
  for (const BackendEntry& b : kBackends) {
    EXPECT_TRUE(names.insert(b.name).second) << b.name;
    EXPECT_EQ(&EntryOf(b.backend), &b);
    EXPECT_EQ(BuiltKernels(b.backend) != nullptr, b.built) << b.name;
    if (const BackendKernels* kernels = BuiltKernels(b.backend)) {
      EXPECT_TRUE(tables.insert(kernels).second) << b.name;
      EXPECT_EQ(&KernelsFor(b.backend), kernels);
    } else {
      EXPECT_EQ(&KernelsFor(b.backend), &kScalarKernels) << b.name;
    }
  }
  EXPECT_EQ(BuiltKernels(Backend::kScalar), &kScalarKernels);
  const CpuFeatures host = ReadCpuFeatures();
  EXPECT_EQ(WhyNotRunnable(BestBackendFor(host), host), nullptr);
  for (const BackendEntry& b : kBackends) {
    const Backend chosen = ChosenBackend(host, b.name);
    EXPECT_EQ(WhyNotRunnable(chosen, host), nullptr) << b.name;
    EXPECT_EQ(chosen == b.backend, WhyNotRunnable(b.backend, host) == nullptr)
        << b.name;
  }
}

}  // namespace
}  // namespace ondavel
