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
bool EveryBackend(Isa) { return true; }

Isa Best(const CpuFeatures& cpu) { return BestIsaFor(cpu, EveryBackend); }
Isa Chosen(const CpuFeatures& cpu, const char* request) {
  return ChosenIsa(cpu, request, EveryBackend);
}

TEST(BestIsaForTest, FollowsTheFeatureBits) {
  EXPECT_EQ(Best(FullAvx512()), Isa::kAvx512);
  EXPECT_EQ(Best(Avx2Only()), Isa::kAvx2);
  EXPECT_EQ(Best(X86(0, 0, 0)), Isa::kSse2);
  CpuFeatures noSse2 = X86(0, 0, 0);
  noSse2.leaf1Edx = 1u << 25;
  EXPECT_EQ(Best(noSse2), Isa::kScalar);
  CpuFeatures arm;
  arm.architecture = Architecture::kAarch64;
  EXPECT_EQ(Best(arm), Isa::kNeon);
  EXPECT_EQ(Best(CpuFeatures{}), Isa::kScalar);
}

TEST(BestIsaForTest, OperatingSystemMustSaveTheRegisters) {
  // AVX state not saved: neither AVX2 nor AVX-512, whatever the processor.
  EXPECT_EQ(
      Best(X86(kLeaf1EcxAvxAndBelow, kLeaf7Avx2 | kLeaf7Avx512, kXcr0Sse)),
      Isa::kSse2);
  // The bits of XCR0 do not count without OSXSAVE.
  EXPECT_EQ(Best(X86(kLeaf1EcxAvxAndBelow & ~kOsxsave,
                     kLeaf7Avx2 | kLeaf7Avx512, kXcr0Zmm)),
            Isa::kSse2);
  // YMM saved but not ZMM, or not the upper ZMM bank.
  EXPECT_EQ(
      Best(X86(kLeaf1EcxAvxAndBelow, kLeaf7Avx2 | kLeaf7Avx512, kXcr0Ymm)),
      Isa::kAvx2);
  EXPECT_EQ(Best(X86(kLeaf1EcxAvxAndBelow, kLeaf7Avx2 | kLeaf7Avx512,
                     kXcr0NoHighZmm)),
            Isa::kAvx2);
}

TEST(BestIsaForTest, EveryFeatureTheFlagsEnableIsRequired) {
  // AVX-512 F and DQ alone: the objects also use VL and BW encodings.
  EXPECT_EQ(Best(X86(kLeaf1EcxAvxAndBelow,
                     kLeaf7Avx2 | kLeaf7Avx512F | kLeaf7Avx512Dq, kXcr0Zmm)),
            Isa::kAvx2);
  for (uint32_t missing : {kLeaf7Avx512F, kLeaf7Avx512Dq, kLeaf7Avx512Bw,
                           kLeaf7Avx512Vl, kLeaf7Avx2}) {
    EXPECT_NE(Best(X86(kLeaf1EcxAvxAndBelow,
                       (kLeaf7Avx2 | kLeaf7Avx512) & ~missing, kXcr0Zmm)),
              Isa::kAvx512)
        << "leaf 7 EBX without bit mask " << missing;
  }
  // -mavx2 lets the compiler use everything from SSE3 to AVX.
  for (int bit = 0; bit < 32; ++bit) {
    const uint32_t mask = 1u << bit;
    if ((kLeaf1EcxAvxAndBelow & mask) == 0) continue;
    EXPECT_EQ(Best(X86(kLeaf1EcxAvxAndBelow & ~mask, kLeaf7Avx2, kXcr0Ymm)),
              Isa::kSse2)
        << "leaf 1 ECX without bit " << bit;
  }
  // And never an x86 back-end on another architecture, or NEON on x86.
  CpuFeatures armWithX86Bits = FullAvx512();
  armWithX86Bits.architecture = Architecture::kAarch64;
  EXPECT_EQ(Best(armWithX86Bits), Isa::kNeon);
  CpuFeatures otherWithX86Bits = FullAvx512();
  otherWithX86Bits.architecture = Architecture::kOther;
  EXPECT_EQ(Best(otherWithX86Bits), Isa::kScalar);
}

TEST(ChosenIsaTest, HonoursARequestTheProcessorCanRun) {
  EXPECT_EQ(Chosen(FullAvx512(), "scalar"), Isa::kScalar);
  EXPECT_EQ(Chosen(FullAvx512(), "sse2"), Isa::kSse2);
  EXPECT_EQ(Chosen(FullAvx512(), "avx2"), Isa::kAvx2);
  EXPECT_EQ(Chosen(FullAvx512(), "avx512"), Isa::kAvx512);
  CpuFeatures arm;
  arm.architecture = Architecture::kAarch64;
  EXPECT_EQ(Chosen(arm, "scalar"), Isa::kScalar);
  EXPECT_EQ(Chosen(arm, "neon"), Isa::kNeon);
}

TEST(ChosenIsaTest, FallsBackToTheBest) {
  // No request, an unknown name, or a near miss.
  EXPECT_EQ(Chosen(FullAvx512(), nullptr), Isa::kAvx512);
  for (const char* unknown : {"", "AVX2", "avx", "sse2 ", "fast", "neon2"}) {
    EXPECT_EQ(Chosen(FullAvx512(), unknown), Isa::kAvx512) << unknown;
  }
  // More than the processor has, or another architecture's back-end.
  EXPECT_EQ(Chosen(Avx2Only(), "avx512"), Isa::kAvx2);
  EXPECT_EQ(Chosen(X86(0, 0, 0), "avx2"), Isa::kSse2);
  EXPECT_EQ(Chosen(FullAvx512(), "neon"), Isa::kAvx512);
  CpuFeatures arm;
  arm.architecture = Architecture::kAarch64;
  EXPECT_EQ(Chosen(arm, "sse2"), Isa::kNeon);
  // A back-end that is not available is never chosen.
  const auto withoutAvx512 = [](Isa isa) { return isa != Isa::kAvx512; };
  EXPECT_EQ(ChosenIsa(FullAvx512(), "avx512", withoutAvx512), Isa::kAvx2);
  EXPECT_EQ(BestIsaFor(FullAvx512(), withoutAvx512), Isa::kAvx2);
}

// The table against this library: unique names, the scalar set built
// everywhere, every built set named as its back-end, and the choice on this
// host never falling on something this library cannot run.
TEST(BackendTableTest, MatchesTheBuiltKernelSets) {
  std::set<std::string> names;
  for (const Backend& b : kBackends) {
    EXPECT_TRUE(names.insert(b.name).second) << b.name;
    EXPECT_EQ(&BackendOf(b.isa), &b);
    if (const KernelSet* kernels = BuiltKernels(b.isa)) {
      EXPECT_STREQ(kernels->name, b.name);
      EXPECT_EQ(&KernelsFor(b.isa), kernels);
    } else {
      EXPECT_EQ(&KernelsFor(b.isa), &kScalarKernels) << b.name;
    }
  }
  EXPECT_EQ(BuiltKernels(Isa::kScalar), &kScalarKernels);
  const CpuFeatures host = ReadCpuFeatures();
  EXPECT_EQ(WhyNotRunnable(BestIsaFor(host), host), nullptr);
  for (const Backend& b : kBackends) {
    const Isa chosen = ChosenIsa(host, b.name);
    EXPECT_EQ(WhyNotRunnable(chosen, host), nullptr) << b.name;
    EXPECT_EQ(chosen == b.isa, WhyNotRunnable(b.isa, host) == nullptr)
        << b.name;
  }
}

}  // namespace
}  // namespace ondavel
