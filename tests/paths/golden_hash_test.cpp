// Pins the bits of every export's output: one hash over a fixed workload
// (all ten exports, lengths 1 .. 4096 and 65536, every window type, every
// flag combination, random and special inputs) must equal the committed
// value on every instruction-set back-end of the host and on every
// platform.  Each value also goes into a sub-hash of the export and the
// length that gave it, pinned in golden_sub_hashes.inc, so a failure names
// the first (export, length) that changed.
//
// The inputs come from an integer generator and bit patterns only, so they
// are the same everywhere.  Every NaN is hashed as one pattern: only the
// positions of NaNs are pinned, not their sign or payload.
//
// To change the pinned values deliberately, run the test, check that every
// back-end prints the same new hash, and copy it into kGoldenHash and the
// printed table into golden_sub_hashes.inc.
#include <Ondavel.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "backend_harness.h"

namespace ondavel {
namespace {

constexpr uint64_t kGoldenHash = 0x60c55f211fe9c604u;

// The export (its name without the Ondavel_ prefix) and the engine's
// recorded length (-1: the export takes none) of one sub-hash.
struct SubHash {
  const char* output;
  int32_t length;
  uint64_t hash;
};
constexpr SubHash kGoldenSubHashes[] = {
#include "golden_sub_hashes.inc"
};

// 64-bit FNV-1a over values' bit patterns, least significant byte first.
class Fnv1a {
 public:
  void AddBytes(uint64_t bits, int count) {
    for (int i = 0; i < count; ++i) {
      hash_ = (hash_ ^ ((bits >> (8 * i)) & 0xFF)) * 0x100000001B3u;
    }
  }
  void Add(double v) {
    uint64_t bits = std::bit_cast<uint64_t>(v);
    if (v != v) bits = 0x7FF8000000000000u;  // any NaN
    AddBytes(bits, 8);
  }
  void Add(int32_t v) { AddBytes(static_cast<uint32_t>(v), 4); }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325u;
};

// The four group hashes whose hash is the pinned one, and the sub-hashes in
// the order the workload first reaches them.
class Ledger {
 public:
  enum Group { kProcess, kMeasures, kPhaseNorm, kBinMapping, kGroups };

  template <class Value>
  void Add(Group group, const char* output, int32_t length, Value v) {
    groups_[group].Add(v);
    Sub(output, length).Add(v);
  }
  void Add(Group group, const char* output, int32_t length,
           const std::vector<double>& values) {
    for (const double v : values) Add(group, output, length, v);
  }
  uint64_t Overall() const {
    Fnv1a all;
    for (const Fnv1a& h : groups_) all.AddBytes(h.Value(), 8);
    return all.Value();
  }
  uint64_t GroupHash(Group group) const { return groups_[group].Value(); }
  std::vector<SubHash> SubHashes() const {
    std::vector<SubHash> all;
    for (const Entry& e : subs_)
      all.push_back({e.output, e.length, e.hash.Value()});
    return all;
  }

 private:
  struct Entry {
    const char* output;
    int32_t length;
    Fnv1a hash;
  };
  Fnv1a& Sub(const char* output, int32_t length) {
    // The workload stays with one (export, length) for long stretches.
    for (auto e = subs_.rbegin(); e != subs_.rend(); ++e) {
      if (e->length == length && std::string(e->output) == output) {
        return e->hash;
      }
    }
    subs_.push_back({output, length, Fnv1a()});
    return subs_.back().hash;
  }
  Fnv1a groups_[kGroups];
  std::vector<Entry> subs_;
};

double FromBits(uint64_t bits) { return std::bit_cast<double>(bits); }

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
  SeededRandom g(seed);
  std::vector<double> v(count);
  for (double& x : v) x = g.WithExponentSpread(spread);
  return v;
}

// Random values with the special ones scattered through them.
std::vector<double> SpecialBuffer(size_t count, uint64_t seed) {
  std::vector<double> v = RandomBuffer(count, 40, seed);
  SeededRandom g(seed ^ 0x5555u);
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
void HashMeasures(const std::vector<double>& spectrum, int32_t n,
                  Ledger& ledger) {
  const size_t count = static_cast<size_t>(n / 2 > 1 ? n / 2 : 1);
  std::vector<double> a(count), b(count);
  const auto add = [&](const char* output, const std::vector<double>& v) {
    ledger.Add(Ledger::kMeasures, output, n, v);
  };
  Ondavel_ACH_LR(spectrum.data(), a.data());
  add("ACH_LR", a);
  Ondavel_PhaseLR(spectrum.data(), a.data());
  add("PhaseLR", a);
  Ondavel_ArgLR(spectrum.data(), a.data(), b.data());
  add("ArgLR", a);
  add("ArgLR", b);
  Ondavel_MagLR(spectrum.data(), a.data(), b.data());
  add("MagLR", a);
  add("MagLR", b);
}

// The transform, every window and flag combination; the measures of its
// outputs and of raw random and special spectra.
void HashTransforms(Ledger& ledger) {
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
              ledger.Add(Ledger::kProcess, "Process", n, out);
            }
          }
        }
        if (type == 12) {
          Ondavel_Process(in.data(), out.data(), 1, 0, 1);
          HashMeasures(out, n, ledger);
          HashMeasures(in, n, ledger);
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
    ledger.Add(Ledger::kProcess, "Process", 65536, out);
    Ondavel_Destruction();
  }
  // Recorded lengths that are not powers of two: the measures still work.
  for (const int32_t n : {0, 3, 5, 6, 7, 100}) {
    Ondavel_Construction(n, 12);
    HashMeasures(SpecialBuffer(2 * static_cast<size_t>(n) + 2, 400 + n), n,
                 ledger);
    HashMeasures(RandomBuffer(2 * static_cast<size_t>(n) + 2, 8, 500 + n), n,
                 ledger);
    Ondavel_Destruction();
  }
}

void HashPhaseNorm(Ledger& ledger) {
  std::vector<double> angles = SpecialValues();
  for (const double a :
       {3.141592653589793, -3.141592653589793, 3.0 * 3.141592653589793, 7.0,
        -7.0, 6.283185307179586, -6.283185307179586, 1e3, -1e3, 6433.0, -6434.0,
        1e6, 1e15, -1e15, 1e17, 1e300}) {
    angles.push_back(a);
  }
  SeededRandom g(600);
  for (int i = 0; i < 2000; ++i) angles.push_back(g.WithExponentSpread(8));
  for (const double a : angles) {
    ledger.Add(Ledger::kPhaseNorm, "PhaseNorm", -1, Ondavel_PhaseNorm(a));
  }
}

void HashBinMapping(Ledger& ledger) {
  const std::vector<double>& specials = SpecialValues();
  const double rates[] = {44100.0, 48000.0, 96000.0, 8000.0, 1.0, 0.0};
  for (const int32_t n : {0, 1, 4, 1024, 262144}) {
    Ondavel_Construction(n, 0);
    SeededRandom g(700 + n);
    const auto node = [&](double frequency, double rate) {
      ledger.Add(Ledger::kBinMapping, "FFT_Node", n,
                 Ondavel_FFT_Node(frequency, rate));
    };
    const auto frequency = [&](int32_t bin, double rate) {
      ledger.Add(Ledger::kBinMapping, "FreqNode", n,
                 Ondavel_FreqNode(bin, rate));
    };
    for (const double rate : rates) {
      for (int i = 0; i < 200; ++i) {
        node(g.WithExponentSpread(20), rate);
        const auto bin = static_cast<int32_t>(g.Next());
        frequency(bin, rate);
        frequency(bin % 4096, rate);
      }
      for (const double s : specials) {
        node(s, rate);
        node(rate, s);
      }
      for (const int32_t bin :
           {0, 1, -1, 10, 512, 2147483647, -2147483647 - 1}) {
        frequency(bin, rate);
      }
    }
    Ondavel_Destruction();
  }
}

Ledger HashEverything() {
  Ledger ledger;
  HashTransforms(ledger);
  HashPhaseNorm(ledger);
  HashBinMapping(ledger);
  return ledger;
}

std::string Hex(uint64_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llx",
                static_cast<unsigned long long>(v));
  return text;
}

std::string Describe(const SubHash& s) {
  return std::string("Ondavel_") + s.output +
         (s.length < 0 ? std::string(" (no length)")
                       : " N=" + std::to_string(s.length));
}

// The first (export, length) whose sub-hash differs from the committed
// table, or empty when all match.
std::string FirstChangedOutput(const std::vector<SubHash>& computed) {
  const size_t pinned = std::size(kGoldenSubHashes);
  for (size_t i = 0; i < computed.size() && i < pinned; ++i) {
    const SubHash& c = computed[i];
    const SubHash& g = kGoldenSubHashes[i];
    if (std::string(c.output) != g.output || c.length != g.length) {
      return "the workload reaches " + Describe(c) + " where the table has " +
             Describe(g);
    }
    if (c.hash != g.hash) {
      return Describe(c) + ": sub-hash " + Hex(c.hash) + ", pinned " +
             Hex(g.hash);
    }
  }
  if (computed.size() != pinned) {
    return std::to_string(computed.size()) + " sub-hashes, the table has " +
           std::to_string(pinned);
  }
  return "";
}

void PrintTable(const std::vector<SubHash>& computed) {
  std::printf("golden_sub_hashes.inc for these bits:\n");
  for (const SubHash& s : computed) {
    std::printf("{\"%s\", %d, %su},\n", s.output, static_cast<int>(s.length),
                Hex(s.hash).c_str());
  }
}

// The pinned hash and the table must both hold: one without the other means
// the table drifted from the hash, and fails as well.
TEST(GoldenHashTest, EveryBackendGivesThePinnedBits) {
  ForEachBackend([](Backend backend, const BackendKernels&) {
    const char* name = BackendName(backend);
    ASSERT_TRUE(RequestBackend(name));
    // The back-end is chosen at set-up: check that the request took effect.
    Ondavel_Construction(4, 0);
    const std::string active = BackendName(ActiveBackend());
    Ondavel_Destruction();
    ASSERT_EQ(active, name);
    const Ledger ledger = HashEverything();
    std::printf(
        "back-end %-6s hash %s (process %s, measures %s, phase norm %s, bin "
        "mapping %s)\n",
        name, Hex(ledger.Overall()).c_str(),
        Hex(ledger.GroupHash(Ledger::kProcess)).c_str(),
        Hex(ledger.GroupHash(Ledger::kMeasures)).c_str(),
        Hex(ledger.GroupHash(Ledger::kPhaseNorm)).c_str(),
        Hex(ledger.GroupHash(Ledger::kBinMapping)).c_str());
    const bool hashHolds = ledger.Overall() == kGoldenHash;
    const std::vector<SubHash> computed = ledger.SubHashes();
    const std::string changed = FirstChangedOutput(computed);
    EXPECT_TRUE(hashHolds) << "hash " << Hex(ledger.Overall()) << ", pinned "
                           << Hex(kGoldenHash) << "; first changed: "
                           << (changed.empty() ? "none, the table drifted"
                                               : changed);
    EXPECT_EQ(changed, "") << (hashHolds ? "the table drifted from the hash"
                                         : "");
    if (!hashHolds || !changed.empty()) PrintTable(computed);
  });
  EXPECT_TRUE(RequestBackend(nullptr));
}

}  // namespace
}  // namespace ondavel
