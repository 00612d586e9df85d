#include "input_signal.h"

#include <cmath>
#include <cstddef>

namespace pellarin {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kSampleRate = 44100.0;
constexpr double kLowTone = 440.0;
constexpr double kHighTone = 3520.0;
constexpr double kNoiseLevel = 1.0e-3;

// SplitMix64: tiny, and the same sequence on every platform.
class NoiseSource {
 public:
  // A value in [-1, 1).
  double Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-52 - 1.0;
  }

 private:
  uint64_t state_ = 0x50454C4C4152494EULL;
};

}  // namespace

void FillTestSignal(double* values, int32_t length) {
  NoiseSource noise;
  for (int32_t n = 0; n < length; ++n) {
    const double t = kTwoPi * static_cast<double>(n) / kSampleRate;
    const double left = 0.5 * std::sin(kLowTone * t) +
                        0.25 * std::sin(kHighTone * t) +
                        kNoiseLevel * noise.Next();
    const double right = 0.4 * std::sin(kLowTone * t + 0.7) +
                         0.3 * std::sin(kHighTone * t + 1.9) +
                         kNoiseLevel * noise.Next();
    const std::size_t at = 2 * static_cast<std::size_t>(n);
    values[at] = left;
    values[at + 1] = right;
  }
}

}  // namespace pellarin
