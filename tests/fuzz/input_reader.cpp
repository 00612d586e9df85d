#include "input_reader.h"

#include <cfloat>
#include <limits>

namespace ondavel_fuzz {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kGuard = 3.4e-38;

constexpr double FromBits(uint64_t bits) { return std::bit_cast<double>(bits); }

// The neighbours of a nonzero finite double, one ulp nearer to zero or
// further from it.
constexpr double TowardZero(double v) {
  return FromBits(std::bit_cast<uint64_t>(v) - 1);
}
constexpr double AwayFromZero(double v) {
  return FromBits(std::bit_cast<uint64_t>(v) + 1);
}

// Values at the library's thresholds and at the edges of the format: the
// wrap points, the stepping limit of the angle wrap, the angle guard, squares
// that overflow or vanish, subnormals, NaN of both signs and kinds, and the
// int32 limits of the bin mapping.
constexpr double kAwkward[] = {
    0.0,
    -0.0,
    1.0,
    -1.0,
    0.5,
    kPi,
    -kPi,
    TowardZero(kPi),
    TowardZero(-kPi),
    AwayFromZero(kPi),
    kTwoPi,
    -kTwoPi,
    3.0 * kPi,
    1024.0 * kTwoPi,
    AwayFromZero(1024.0 * kTwoPi),
    -1024.0 * kTwoPi,
    1e17,
    kGuard,
    -kGuard,
    TowardZero(kGuard),
    FLT_MIN,
    1e-160,
    1e154,
    -1.5e154,
    1e300,
    -1e300,
    DBL_MAX,
    -DBL_MAX,
    DBL_MIN,
    std::numeric_limits<double>::denorm_min(),
    -std::numeric_limits<double>::denorm_min(),
    FromBits(0x000FFFFFFFFFFFFFu),  // largest subnormal
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    FromBits(0x7FF8000000000000u),  // quiet NaN
    FromBits(0xFFF8000000000000u),  // negative quiet NaN
    FromBits(0x7FF0000000000001u),  // signalling NaN
    FromBits(0x7FF8000000C0FFEEu),  // NaN with a payload
    44100.0,
    48000.0,
    22050.0,
    430.7,
    1e-8,
    0.001,
    1e12,
    4e9,
    2147483647.0,
    2147483647.5,
    2147483648.0,
    -2147483648.0,
    -2147483649.0,
    8388608.5,
    16777217.0,
};

}  // namespace

double InputReader::Double() {
  constexpr size_t kAwkwardCount = sizeof(kAwkward) / sizeof(kAwkward[0]);
  const uint8_t kind = Byte();
  double v = 0.0;
  if (kind < 0x60) {
    v = kAwkward[kind % kAwkwardCount];
  } else if (kind < 0xA0) {
    // Multiples of 1/8 in [-16, 16): exact, so sums and differences of
    // them cancel exactly (zero bins, ties at the angle guard's zero side).
    v = static_cast<int8_t>(Byte()) / 8.0;
  } else {
    v = FromBits(U64());
  }
  if ((std::bit_cast<uint64_t>(v) & ~(uint64_t{1} << 63)) == kSentinelBits) {
    v = FromBits(kSentinelBits + 1);
  }
  return v;
}

}  // namespace ondavel_fuzz
