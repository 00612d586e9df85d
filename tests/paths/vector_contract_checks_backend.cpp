// The vector contract checked lane by lane against a scalar model, for one
// back-end: the build compiles this file once per back-end with its flags
// (cmake/Backends.cmake, called from tests/paths/CMakeLists.txt),
// ONDAVEL_BACKEND naming it and ONDAVEL_BACKEND_VECTOR its vector type.  The
// operands cover signed zeros, infinities, a subnormal and NaNs of both signs
// with distinct payloads, in every pairing at every lane.
#include <bit>
#include <cstdint>
#include <cstring>

// GCC 12 reports the deliberately undefined pass-through operand inside the
// AVX-512 intrinsics (`__m512d __Y = __Y;`) as maybe uninitialized.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include "kernels/simd/vec.h"
#include "vector_contract_checks.h"

namespace ondavel::vector_contract {
namespace {

using simd::BitsOf;

constexpr uint64_t kSignBit = uint64_t{1} << 63;
bool IsNanBits(uint64_t u) { return (u & ~kSignBit) > 0x7FF0000000000000; }

// Constant-initialised: a dynamic initialiser here would run with this
// back-end's instructions at load, on any processor.
constexpr double kOperands[] = {
    1.5,
    -2.25,
    0.0,
    -0.0,
    std::bit_cast<double>(uint64_t{0x7FF8000000000001}),  // NaN, payload 1
    std::bit_cast<double>(uint64_t{0xFFF8000000000002}),  // -NaN, payload 2
    std::bit_cast<double>(uint64_t{0x7FF0000000000000}),  // +inf
    std::bit_cast<double>(uint64_t{0xFFF0000000000000}),  // -inf
    3.0,
    -4.9e-322,  // subnormal
    1.5,
    7.0};
constexpr int kCount = sizeof kOperands / sizeof kOperands[0];

// qemu user mode gives x86 vector additions of two NaNs the x87 rule (the
// larger payload), not the first operand's: there AddInOrder is only
// checked to give a NaN.
#if ONDAVEL_TEST_CPU_EMULATED && (defined(__i386__) || defined(__x86_64__))
constexpr bool kNanChoiceEmulated = true;
#else
constexpr bool kNanChoiceEmulated = false;
#endif

// Lane k of the operands i and j: as i and j run over 0 .. kCount - 1,
// every pairing of two kOperands reaches every lane.
double OperandA(int i, int k) { return kOperands[(i + k) % kCount]; }
double OperandB(int j, int k) { return kOperands[(j + 5 * k) % kCount]; }

template <class V>
class Checker {
 public:
  static constexpr int kL = V::kLanes;
  using M = typename V::Mask;

  Checker(ReportFailure report, void* context)
      : report_(report), context_(context) {}
  int compared() const { return compared_; }

  void Run() {
    LoadsAndStores();
    Arithmetic();
    Compares();
    Selects();
    ComplexLoads();
    if constexpr (kL > 1) Shuffles();
    if constexpr (simd::HoldsComplexValues<V>) ComplexValues();
  }

 private:
  // got against expected, bit for bit, or NaN against NaN where the
  // contract leaves the payload open.
  // Bits throughout: 32-bit x86 returns a double in an x87 register,
  // whose load quiets a signalling NaN.
  void Expect(const char* primitive, int lane, uint64_t got, uint64_t expected,
              bool anyNan = false) {
    ++compared_;
    if (got == expected || (anyNan && IsNanBits(got) && IsNanBits(expected))) {
      return;
    }
    report_(context_, primitive, kL, lane, got, expected);
  }
  void ExpectLanes(const char* primitive, V got, const uint64_t* expected,
                   bool anyNan = false) {
    double lanes[kL];
    got.Store(lanes);
    uint64_t bits[kL];
    std::memcpy(bits, lanes, sizeof bits);
    for (int k = 0; k < kL; ++k) {
      Expect(primitive, k, bits[k], expected[k], anyNan);
    }
  }
  void ExpectLanes(const char* primitive, V got, const double* expected) {
    uint64_t bits[kL];
    std::memcpy(bits, expected, sizeof bits);
    ExpectLanes(primitive, got, bits);
  }
  void ExpectMask(const char* primitive, M got, const bool* expected) {
    double lanes[kL];
    Select(got, V::Set1(1.0), V::Zero()).Store(lanes);
    for (int k = 0; k < kL; ++k) {
      ++compared_;
      const bool set = lanes[k] == 1.0;
      if (set != expected[k]) {
        report_(context_, primitive, kL, k, set, expected[k]);
      }
    }
  }
  // Lanes with the sign bits of `pattern`'s bits: a mask from a compare.
  static M MaskOf(unsigned pattern) {
    double lanes[kL];
    for (int k = 0; k < kL; ++k) lanes[k] = (pattern >> k & 1) ? -1.0 : 1.0;
    return V::Load(lanes) < V::Zero();
  }

  void LoadsAndStores() {
    double memory[kL + 2];
    double out[kL + 2];
    for (int k = 0; k < kL + 2; ++k) {
      memory[k] = kOperands[k % kCount];
      out[k] = -1.0;
    }
    // One double past the start: no vector alignment.
    V::Load(memory + 1).Store(out + 1);
    Expect("Store below", 0, BitsOf(out[0]), BitsOf(-1.0));
    Expect("Store above", 0, BitsOf(out[kL + 1]), BitsOf(-1.0));
    for (int k = 0; k < kL; ++k)
      Expect("Load/Store", k, BitsOf(out[k + 1]), BitsOf(memory[k + 1]));
    for (const double x : kOperands) {
      double expected[kL];
      for (double& e : expected) e = x;
      ExpectLanes("Set1", V::Set1(x), expected);
    }
    const double zeros[kL] = {};
    ExpectLanes("Zero", V::Zero(), zeros);
  }

  struct Binary {
    const char* name;
    V (*op)(V, V);
    uint64_t (*model)(double, double);
    bool anyNan;
  };
  struct Unary {
    const char* name;
    V (*op)(V);
    uint64_t (*model)(double);
    bool anyNan;
  };

  void Arithmetic() {
    static const Binary kBinary[] = {
        {"+", [](V a, V b) { return a + b; },
         [](double a, double b) { return BitsOf(a + b); }, true},
        {"-", [](V a, V b) { return a - b; },
         [](double a, double b) { return BitsOf(a - b); }, true},
        {"*", [](V a, V b) { return a * b; },
         [](double a, double b) { return BitsOf(a * b); }, true},
        {"/", [](V a, V b) { return a / b; },
         [](double a, double b) { return BitsOf(a / b); }, true},
        {"AddInOrder", [](V a, V b) { return AddInOrder(a, b); },
         [](double a, double b) {
           if (IsNanBits(BitsOf(a))) return BitsOf(a);
           return BitsOf(IsNanBits(BitsOf(b)) ? b : a + b);
         },
         kNanChoiceEmulated},
        {"Min", [](V a, V b) { return Min(a, b); },
         [](double a, double b) { return BitsOf(a < b ? a : b); }, false},
        {"Max", [](V a, V b) { return Max(a, b); },
         [](double a, double b) { return BitsOf(a > b ? a : b); }, false},
        {"AndBits", [](V a, V b) { return AndBits(a, b); },
         [](double a, double b) { return (BitsOf(a) & BitsOf(b)); }, false},
        {"AndNotBits", [](V a, V b) { return AndNotBits(a, b); },
         [](double a, double b) { return (~BitsOf(a) & BitsOf(b)); }, false},
        {"OrBits", [](V a, V b) { return OrBits(a, b); },
         [](double a, double b) { return (BitsOf(a) | BitsOf(b)); }, false},
        {"XorBits", [](V a, V b) { return XorBits(a, b); },
         [](double a, double b) { return (BitsOf(a) ^ BitsOf(b)); }, false},
    };
    static const Unary kUnary[] = {
        {"Sqrt", [](V a) { return Sqrt(a); },
         [](double a) { return BitsOf(__builtin_sqrt(a)); }, true},
        {"Abs", [](V a) { return Abs(a); },
         [](double a) { return (BitsOf(a) & ~kSignBit); }, false},
    };
    for (int i = 0; i < kCount; ++i) {
      double a[kL];
      for (int k = 0; k < kL; ++k) a[k] = OperandA(i, k);
      for (const Unary& u : kUnary) {
        uint64_t expected[kL];
        for (int k = 0; k < kL; ++k) expected[k] = u.model(a[k]);
        ExpectLanes(u.name, u.op(V::Load(a)), expected, u.anyNan);
      }
      for (int j = 0; j < kCount; ++j) {
        double b[kL];
        for (int k = 0; k < kL; ++k) b[k] = OperandB(j, k);
        for (const Binary& op : kBinary) {
          uint64_t expected[kL];
          for (int k = 0; k < kL; ++k) expected[k] = op.model(a[k], b[k]);
          ExpectLanes(op.name, op.op(V::Load(a), V::Load(b)), expected,
                      op.anyNan);
        }
      }
    }
  }

  struct Compare {
    const char* name;
    M (*op)(V, V);
    bool (*model)(double, double);
  };

  void Compares() {
    // C++'s compares are the model: false on NaN, -0 equal to +0.
    static const Compare kCompares[] = {
        {"<", [](V a, V b) { return a < b; },
         [](double a, double b) { return a < b; }},
        {"<=", [](V a, V b) { return a <= b; },
         [](double a, double b) { return a <= b; }},
        {">", [](V a, V b) { return a > b; },
         [](double a, double b) { return a > b; }},
        {">=", [](V a, V b) { return a >= b; },
         [](double a, double b) { return a >= b; }},
        {"==", [](V a, V b) { return a == b; },
         [](double a, double b) { return a == b; }},
        {"IsUnordered", [](V a, V b) { return IsUnordered(a, b); },
         [](double a, double b) {
           return IsNanBits(BitsOf(a)) || IsNanBits(BitsOf(b));
         }},
        {"IsNan", [](V a, V) { return IsNan(a); },
         [](double a, double) { return IsNanBits(BitsOf(a)); }},
        {"SignBitSet", [](V a, V) { return SignBitSet(a); },
         [](double a, double) { return (BitsOf(a) & kSignBit) != 0; }},
        // Mask logic over two masks of differing patterns.
        {"Mask &", [](V a, V b) { return (a < b) & SignBitSet(b); },
         [](double a, double b) { return a < b && (BitsOf(b) >> 63) != 0; }},
        {"Mask |", [](V a, V b) { return (a < b) | SignBitSet(b); },
         [](double a, double b) { return a < b || (BitsOf(b) >> 63) != 0; }},
        {"Mask ^", [](V a, V b) { return (a < b) ^ SignBitSet(b); },
         [](double a, double b) {
           return (a < b) != ((BitsOf(b) >> 63) != 0);
         }},
        {"Mask AndNot", [](V a, V b) { return AndNot(a < b, SignBitSet(b)); },
         [](double a, double b) { return !(a < b) && (BitsOf(b) >> 63) != 0; }},
    };
    for (int i = 0; i < kCount; ++i) {
      for (int j = 0; j < kCount; ++j) {
        double a[kL];
        double b[kL];
        for (int k = 0; k < kL; ++k) {
          a[k] = OperandA(i, k);
          b[k] = OperandB(j, k);
        }
        for (const Compare& c : kCompares) {
          bool expected[kL];
          for (int k = 0; k < kL; ++k) expected[k] = c.model(a[k], b[k]);
          ExpectMask(c.name, c.op(V::Load(a), V::Load(b)), expected);
        }
      }
    }
  }

  // Every mask pattern: Any, All, and Select taking NaN lanes bit for bit.
  void Selects() {
    double yes[kL];
    double no[kL];
    for (int k = 0; k < kL; ++k) {
      yes[k] = kOperands[(4 + k) % kCount];
      no[k] = kOperands[(5 + 3 * k) % kCount];
    }
    for (unsigned pattern = 0; pattern < (1u << kL); ++pattern) {
      const M m = MaskOf(pattern);
      double expected[kL];
      for (int k = 0; k < kL; ++k)
        expected[k] = (pattern >> k & 1) ? yes[k] : no[k];
      ExpectLanes("Select", Select(m, V::Load(yes), V::Load(no)), expected);
      // Reported with the mask's lane pattern as the lane.
      compared_ += 2;
      const bool any = pattern != 0;
      const bool all = pattern == (1u << kL) - 1;
      if (Any(m) != any) report_(context_, "Any", kL, pattern, !any, any);
      if (All(m) != all) report_(context_, "All", kL, pattern, !all, all);
    }
  }

  // Distinct values, element e being 100 + e, for the shuffles.
  static constexpr int kElements = 2 * kL * kL + 2;
  static void Count(double* memory) {
    for (int e = 0; e < kElements; ++e) memory[e] = 100.0 + e;
  }

  void ComplexLoads() {
    double memory[kElements];
    Count(memory);
    V re;
    V im;
    double expectRe[kL];
    double expectIm[kL];
    simd::LoadComplexSplit(memory + 2, re, im);
    for (int a = 0; a < kL; ++a) {
      expectRe[a] = memory[2 + 2 * a];
      expectIm[a] = memory[3 + 2 * a];
    }
    ExpectLanes("LoadComplexSplit re", re, expectRe);
    ExpectLanes("LoadComplexSplit im", im, expectIm);
    simd::LoadComplexSplitDescending(memory + 2, re, im);
    for (int a = 0; a < kL; ++a) {
      expectRe[a] = memory[2 + 2 * (kL - 1 - a)];
      expectIm[a] = memory[3 + 2 * (kL - 1 - a)];
    }
    ExpectLanes("LoadComplexSplitDescending re", re, expectRe);
    ExpectLanes("LoadComplexSplitDescending im", im, expectIm);
  }

  static int Reversed(int a) {
    int r = 0;
    for (int bit = 1; bit < kL; bit <<= 1) r = r << 1 | ((a & bit) != 0);
    return r;
  }

  void Shuffles() {
    using H = typename V::Half;
    double m[kElements];
    Count(m);
    double expected[kL];
    double expected2[kL];
    V re;
    V im;
    simd::DeinterleaveReversed(V::Load(m), V::Load(m + kL), re, im);
    for (int a = 0; a < kL; ++a) {
      expected[a] = m[2 * Reversed(a)];
      expected2[a] = m[2 * Reversed(a) + 1];
    }
    ExpectLanes("DeinterleaveReversed re", re, expected);
    ExpectLanes("DeinterleaveReversed im", im, expected2);

    V lo;
    V hi;
    simd::InterleaveComplex(V::Load(m), V::Load(m + kL), lo, hi);
    // Run element e is re (even e) or im (odd e) of value e / 2.
    for (int a = 0; a < kL; ++a) {
      const int e = a;
      const int f = kL + a;
      expected[a] = m[(e & 1) * kL + e / 2];
      expected2[a] = m[(f & 1) * kL + f / 2];
    }
    ExpectLanes("InterleaveComplex lo", lo, expected);
    ExpectLanes("InterleaveComplex hi", hi, expected2);

    V rows[kL];
    for (int i = 0; i < kL; ++i) rows[i] = V::Load(m + kL * i);
    simd::TransposeLanes(rows);
    for (int i = 0; i < kL; ++i) {
      for (int j = 0; j < kL; ++j) expected[j] = m[kL * j + i];
      ExpectLanes("TransposeLanes", rows[i], expected);
    }

    V rowsLo[kL];
    V rowsHi[kL];
    V columns[kL];
    for (int a = 0; a < kL; ++a) {
      rowsLo[a] = V::Load(m + 2 * kL * a);
      rowsHi[a] = V::Load(m + 2 * kL * a + kL);
    }
    simd::TransposeEvenElements(rowsLo, rowsHi, columns);
    for (int k = 0; k < kL; ++k) {
      for (int a = 0; a < kL; ++a) expected[a] = m[2 * kL * a + 2 * k];
      ExpectLanes("TransposeEvenElements", columns[k], expected);
    }

    for (int a = 0; a < kL; ++a) expected[a] = m[a < kL - 1 ? a : kL - 2];
    ExpectLanes("RepeatBelowTop", simd::RepeatBelowTop(V::Load(m)), expected);

    constexpr int kH = H::kLanes;
    for (int a = 0; a < kL; ++a) expected[a] = a < kH ? m[a] : m[kL + a - kH];
    ExpectLanes("Combine", Combine(H::Load(m), H::Load(m + kL)), expected);
    double half[kH];
    LowerHalf(V::Load(m)).Store(half);
    for (int a = 0; a < kH; ++a)
      Expect("LowerHalf", a, BitsOf(half[a]), BitsOf(m[a]));
    UpperHalf(V::Load(m)).Store(half);
    for (int a = 0; a < kH; ++a)
      Expect("UpperHalf", a, BitsOf(half[a]), BitsOf(m[kH + a]));
  }

  // simd/complex_values.h: value j in lanes 2j, 2j + 1.
  void ComplexValues() {
    using CV = simd::ComplexValues<V>;
    constexpr int kC = CV::kValues;
    double m[kElements];
    Count(m);
    const V a = V::Load(m);
    const V b = V::Load(m + kL);
    double expected[kL];
    for (int k = 0; k < kL; ++k) {
      expected[k] = k % 2 == 0 ? m[k] - m[kL + k] : m[k] + m[kL + k];
    }
    ExpectLanes("SubAddParts", CV::SubAddParts(a, b), expected);
    for (int k = 0; k < kL; ++k) expected[k] = m[k ^ 1];
    ExpectLanes("SwapParts", CV::SwapParts(a), expected);
    for (int k = 0; k < kL; ++k) expected[k] = m[k / 2];
    ExpectLanes("SpreadOverValues", CV::SpreadOverValues(m), expected);
    for (int k = 0; k < kL; ++k) expected[k] = m[0];
    ExpectLanes("RepeatOverValues<1>", CV::template RepeatOverValues<1>(m),
                expected);
    // H = 1: value j's pair is j & ~1 (top) and j | 1 (bottom).
    for (int k = 0; k < kL; ++k) expected[k] = m[(k / 2 & ~1) * 2 + k % 2];
    ExpectLanes("Tops<1>", CV::template Tops<1>(a), expected);
    for (int k = 0; k < kL; ++k) expected[k] = m[(k / 2 | 1) * 2 + k % 2];
    ExpectLanes("Bottoms<1>", CV::template Bottoms<1>(a), expected);
    for (int k = 0; k < kL; ++k) {
      expected[k] = (k / 2) % 2 == 0 ? m[k] + m[kL + k] : m[k] - m[kL + k];
    }
    ExpectLanes("SumAndDifference<1>", CV::template SumAndDifference<1>(a, b),
                expected);
    // Gather: value j from element pair 2 (kC - 1 - j), reversed order.
    const double* at[4];
    for (int j = 0; j < kC; ++j) at[j] = m + 2 * (kC - 1 - j);
    V gathered;
    if constexpr (kC == 2) {
      gathered = CV::Gather(at[0], at[1]);
    } else {
      gathered = CV::Gather(at[0], at[1], at[2], at[3]);
    }
    for (int k = 0; k < kL; ++k) expected[k] = at[k / 2][k % 2];
    ExpectLanes("Gather", gathered, expected);
  }

  ReportFailure report_;
  void* context_;
  int compared_ = 0;
};

// V and each of its halves down to V1.
template <class V>
int CheckWithHalves(ReportFailure report, void* context) {
  Checker<V> checker(report, context);
  checker.Run();
  if constexpr (V::kLanes > 1) {
    return checker.compared() +
           CheckWithHalves<typename V::Half>(report, context);
  }
  return checker.compared();
}

}  // namespace

int ONDAVEL_VECTOR_CHECKS_FUNCTION(ONDAVEL_BACKEND)(ReportFailure report,
                                                    void* context) {
  return CheckWithHalves<simd::ONDAVEL_BACKEND_VECTOR>(report, context);
}

}  // namespace ondavel::vector_contract
