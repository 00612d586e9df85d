// The one random generator of the tests: SplitMix64, seeded explicitly, so
// every input is the same on every platform and standard library (the
// distributions of <random> are not).
#ifndef ONDAVEL_TESTS_SUPPORT_SEEDED_RANDOM_H_
#define ONDAVEL_TESTS_SUPPORT_SEEDED_RANDOM_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ondavel_test {

class SeededRandom {
 public:
  // A uniform random bit generator, for std::shuffle.
  using result_type = uint64_t;
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return ~result_type{0}; }

  explicit SeededRandom(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  result_type operator()() { return Next(); }

  // 0 .. count - 1 (count > 0).
  uint64_t Below(uint64_t count) { return Next() % count; }
  bool Coin() { return (Next() & 1) != 0; }

  // [low, high), on a grid of 2^53 steps.
  double Uniform(double low, double high) {
    const double unit = static_cast<double>(Next() >> 11) * 0x1p-53;
    return low + (high - low) * unit;
  }

  // Random sign and mantissa, binary exponent in [-spread, spread).
  double WithExponentSpread(int spread) {
    const uint64_t r = Next();
    const uint64_t exponent =
        1023 - spread +
        static_cast<uint64_t>((r >> 52) % (2 * static_cast<uint64_t>(spread)));
    return std::bit_cast<double>((r & 0x800FFFFFFFFFFFFFu) | (exponent << 52));
  }

  std::vector<double> Values(size_t count, double low, double high) {
    std::vector<double> v(count);
    for (double& x : v) x = Uniform(low, high);
    return v;
  }

 private:
  uint64_t state_;
};

// `count` values uniform in [low, high) from `seed`.
inline std::vector<double> RandomValues(size_t count, uint64_t seed,
                                        double low = -1.0, double high = 1.0) {
  return SeededRandom(seed).Values(count, low, high);
}

}  // namespace ondavel_test

#endif  // ONDAVEL_TESTS_SUPPORT_SEEDED_RANDOM_H_
