// Pins the bits of every export's output: one hash over a fixed workload
// (all ten exports, lengths 1 .. 4096 and 65536, every window type, every
// flag combination, random and special inputs) must equal the committed
// value on every instruction-set path of the host and on every platform.
//
// The inputs come from an integer generator and bit patterns only, so they
// are the same everywhere.  Every NaN is hashed as one pattern: only the
// positions of NaNs are pinned, not their sign or payload.
//
// To change the pinned value deliberately, run the test, check that every
// path prints the same new hash, and copy it into kGoldenHash.
#include <Ondavel.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dispatch.h"
#include "kernels/kernels.h"
#include "runnable_backends.h"

namespace ondavel {
namespace {

constexpr uint64_t kGoldenHash = 0x60c55f211fe9c604u;

// 64-bit FNV-1a over values' bit patterns, least significant byte first.
class Fnv1a {
 public:
  void AddBytes(uint64_t bits, int count) {
    for (int i = 0; i < count; ++i) {
      hash_ = (hash_ ^ ((bits >> (8 * i)) & 0xFF)) * 0x100000001B3u;
    }
  }
  void Add(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    if ((bits & 0x7FF0000000000000u) == 0x7FF0000000000000u &&
        (bits & 0x000FFFFFFFFFFFFFu) != 0) {
      bits = 0x7FF8000000000000u;  // any NaN
    }
    AddBytes(bits, 8);
  }
  void Add(int32_t v) { AddBytes(static_cast<uint32_t>(v), 4); }
  void Add(const std::vector<double>& values) {
    for (const double v : values) Add(v);
  }
  uint64_t value() const { return hash_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325u;
};

double FromBits(uint64_t bits) {
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// SplitMix64.
class Generator {
 public:
  explicit Generator(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  // A double of random sign and mantissa with a binary exponent in
  // [-spread, spread).
  double Value(int spread) {
    const uint64_t r = Next();
    const uint64_t exponent =
        1023 - spread +
        static_cast<uint64_t>((r >> 52) % (2 * static_cast<uint64_t>(spread)));
    return FromBits((r & 0x800FFFFFFFFFFFFFu) | (exponent << 52));
  }

 private:
  uint64_t state_;
};

const std::vector<double>& SpecialValues() {
  static const std::vector<double> values = {
      0.0,
      -0.0,
      FromBits(0x7FF0000000000000u),  // +inf
      FromBits(0xFFF0000000000000u),  // -inf
      FromBits(0x7FF8000000000000u),  // quiet NaN
      FromBits(0xFFF4000000000123u),  // signalling NaN with a payload
      FromBits(0x0000000000000001u),  // smallest subnormal
      FromBits(0x800FFFFFFFFFFFFFu),  // largest subnormal, negative
      FromBits(0x0010000000000000u),  // smallest normal
      FromBits(0x7FEFFFFFFFFFFFFFu),  // largest finite
      1e-300,
      -1e300,
      3.4e-38,  // the angle guard
      -3.3e-38,
      1.0,
      -2.0,
  };
  return values;
}

std::vector<double> RandomBuffer(size_t count, int spread, uint64_t seed) {
  Generator g(seed);
  std::vector<double> v(count);
  for (double& x : v) x = g.Value(spread);
  return v;
}

// Random values with the special ones scattered through them.
std::vector<double> SpecialBuffer(size_t count, uint64_t seed) {
  std::vector<double> v = RandomBuffer(count, 40, seed);
  Generator g(seed ^ 0x5555u);
  const std::vector<double>& specials = SpecialValues();
  for (size_t i = 0; i < specials.size() && i < count; ++i) {
    v[g.Next() % count] = specials[i];
  }
  return v;
}

constexpr unsigned char kFlagValues[] = {0, 1, 0x80};
constexpr uint32_t kWindowTypes[] = {0, 1, 2,  3,  4,  5,  6,  7,
                                     8, 9, 10, 11, 12, 13, 14, 0xFFFFFFFFu};

// The four measures of `spectrum` for the recorded length n (which needs
// max(1, n/2) outputs).
void HashMeasures(const std::vector<double>& spectrum, int32_t n, Fnv1a& hash) {
  const size_t count = static_cast<size_t>(n / 2 > 1 ? n / 2 : 1);
  std::vector<double> a(count), b(count);
  Ondavel_ACH_LR(spectrum.data(), a.data());
  hash.Add(a);
  Ondavel_PhaseLR(spectrum.data(), a.data());
  hash.Add(a);
  Ondavel_ArgLR(spectrum.data(), a.data(), b.data());
  hash.Add(a);
  hash.Add(b);
  Ondavel_MagLR(spectrum.data(), a.data(), b.data());
  hash.Add(a);
  hash.Add(b);
}

struct Hashes {
  uint64_t process, measures, phaseNorm, binMapping, all;
};

// The transform, every window and flag combination; the measures of its
// outputs and of raw random and special spectra.
void HashTransforms(Fnv1a& process, Fnv1a& measures) {
  for (int m = 0; m <= 12; ++m) {
    const int32_t n = int32_t{1} << m;
    const size_t values = 2 * static_cast<size_t>(n);
    const std::vector<double> inputs[] = {RandomBuffer(values, 4, 100 + m),
                                          RandomBuffer(values, 300, 200 + m),
                                          SpecialBuffer(values, 300 + m)};
    std::vector<double> out(values);
    for (const uint32_t type : kWindowTypes) {
      Ondavel_Construction(n, type);
      for (const std::vector<double>& in : inputs) {
        for (const unsigned char window : kFlagValues) {
          for (const unsigned char normalize : kFlagValues) {
            for (const unsigned char forward : kFlagValues) {
              Ondavel_Process(in.data(), out.data(), window, normalize,
                              forward);
              process.Add(out);
            }
          }
        }
        if (type == 12) {
          Ondavel_Process(in.data(), out.data(), 1, 0, 1);
          HashMeasures(out, n, measures);
          HashMeasures(in, n, measures);
        }
      }
      Ondavel_Destruction();
    }
  }
  // Long windows, where the cosine's arguments are finest.
  const std::vector<double> ones(size_t{2} * 65536, 1.0);
  std::vector<double> out(ones.size());
  for (const uint32_t type : {1u, 6u, 12u, 13u}) {
    Ondavel_Construction(65536, type);
    Ondavel_Process(ones.data(), out.data(), 1, 0, 1);
    process.Add(out);
    Ondavel_Destruction();
  }
  // Recorded lengths that are not powers of two: the measures still work.
  for (const int32_t n : {0, 3, 5, 6, 7, 100}) {
    Ondavel_Construction(n, 12);
    HashMeasures(SpecialBuffer(2 * static_cast<size_t>(n) + 2, 400 + n), n,
                 measures);
    HashMeasures(RandomBuffer(2 * static_cast<size_t>(n) + 2, 8, 500 + n), n,
                 measures);
    Ondavel_Destruction();
  }
}

void HashPhaseNorm(Fnv1a& hash) {
  std::vector<double> angles = SpecialValues();
  for (const double a :
       {3.141592653589793, -3.141592653589793, 3.0 * 3.141592653589793, 7.0,
        -7.0, 6.283185307179586, -6.283185307179586, 1e3, -1e3, 6433.0, -6434.0,
        1e6, 1e15, -1e15, 1e17, 1e300}) {
    angles.push_back(a);
  }
  Generator g(600);
  for (int i = 0; i < 2000; ++i) angles.push_back(g.Value(8));
  for (const double a : angles) hash.Add(Ondavel_PhaseNorm(a));
}

void HashBinMapping(Fnv1a& hash) {
  const std::vector<double>& specials = SpecialValues();
  const double rates[] = {44100.0, 48000.0, 96000.0, 8000.0, 1.0, 0.0};
  for (const int32_t n : {0, 1, 4, 1024, 262144}) {
    Ondavel_Construction(n, 0);
    Generator g(700 + n);
    for (const double rate : rates) {
      for (int i = 0; i < 200; ++i) {
        const double frequency = g.Value(20);
        hash.Add(Ondavel_FFT_Node(frequency, rate));
        const int32_t bin = static_cast<int32_t>(g.Next());
        hash.Add(Ondavel_FreqNode(bin, rate));
        hash.Add(Ondavel_FreqNode(bin % 4096, rate));
      }
      for (const double s : specials) {
        hash.Add(Ondavel_FFT_Node(s, rate));
        hash.Add(Ondavel_FFT_Node(rate, s));
      }
      for (const int32_t bin :
           {0, 1, -1, 10, 512, 2147483647, -2147483647 - 1}) {
        hash.Add(Ondavel_FreqNode(bin, rate));
      }
    }
    Ondavel_Destruction();
  }
}

Hashes HashEverything() {
  Fnv1a process, measures, phaseNorm, binMapping;
  HashTransforms(process, measures);
  HashPhaseNorm(phaseNorm);
  HashBinMapping(binMapping);
  Fnv1a all;
  for (const Fnv1a* h : {&process, &measures, &phaseNorm, &binMapping}) {
    all.AddBytes(h->value(), 8);
  }
  return {process.value(), measures.value(), phaseNorm.value(),
          binMapping.value(), all.value()};
}

// Both return true on success.
bool RequestPath(const char* name) {
#if defined(_WIN32)
  return _putenv_s("ONDAVEL_ISA", name) == 0;
#else
  return setenv("ONDAVEL_ISA", name, 1) == 0;
#endif
}

bool ClearPathRequest() {
#if defined(_WIN32)
  return _putenv_s("ONDAVEL_ISA", "") == 0;
#else
  return unsetenv("ONDAVEL_ISA") == 0;
#endif
}

std::string Hex(uint64_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llx",
                static_cast<unsigned long long>(v));
  return text;
}

TEST(GoldenHashTest, EveryPathGivesThePinnedBits) {
  int ran = 0;
  for (const Backend backend : RunnableBackends()) {
    const BackendEntry& path = EntryOf(backend);
    ASSERT_TRUE(RequestPath(path.name));
    // The path is chosen at set-up: check that the request took effect.
    Ondavel_Construction(4, 0);
    const std::string active = BackendName(ActiveBackend());
    Ondavel_Destruction();
    ASSERT_EQ(active, path.name);
    const Hashes h = HashEverything();
    std::printf(
        "path %-6s hash %s (process %s, measures %s, phase norm %s, bin "
        "mapping %s)\n",
        path.name, Hex(h.all).c_str(), Hex(h.process).c_str(),
        Hex(h.measures).c_str(), Hex(h.phaseNorm).c_str(),
        Hex(h.binMapping).c_str());
    EXPECT_EQ(Hex(h.all), Hex(kGoldenHash)) << "on path " << path.name;
    ++ran;
  }
  EXPECT_TRUE(ClearPathRequest());
  EXPECT_GE(ran, 1);
}

}  // namespace
}  // namespace ondavel
