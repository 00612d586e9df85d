#include "buffer_content.h"

#include <cmath>
#include <cstdint>

namespace ondavel_fuzz {
namespace {

class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(0x9E3779B97F4A7C15u ^ seed) {}

  double Next() {  // uniform in [-1, 1), multiples of 2^-52
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) * 0x1p-52 - 1.0;
  }

 private:
  uint64_t state_;
};

std::vector<double> NoiseOf(InputReader& in, size_t count) {
  Noise noise(in.U32());
  std::vector<double> values(count);
  for (double& v : values) v = noise.Next();
  return values;
}

}  // namespace

std::vector<double> ReadContent(InputReader& in, size_t count,
                                const std::vector<double>& previous) {
  switch (in.Byte() % 5) {
    case 0: {
      std::vector<double> run(in.Byte() % 16 + 1);
      for (double& v : run) v = in.Double();
      std::vector<double> values(count);
      for (size_t i = 0; i < count; ++i) values[i] = run[i % run.size()];
      return values;
    }
    case 1:
      return NoiseOf(in, count);
    case 2: {
      std::vector<double> values = NoiseOf(in, count);
      for (int placed = in.Byte() % 8; placed > 0 && count > 0; --placed) {
        const size_t at = in.U32() % count;
        values[at] = in.Double();
      }
      return values;
    }
    case 3: {
      std::vector<double> values = NoiseOf(in, count);
      const double scale = in.Double();
      for (double& v : values) v *= scale;
      return values;
    }
    default:
      if (previous.size() == count) return previous;
      return NoiseOf(in, count);
  }
}

bool IsTame(const std::vector<double>& values) {
  for (double v : values) {
    if (!(std::fabs(v) <= 1e6)) return false;
  }
  return true;
}

}  // namespace ondavel_fuzz
