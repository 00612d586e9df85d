// Reads a fuzzer input front to back.  Past its end every read gives zero
// bytes, so any byte string, the empty one included, is a whole call
// sequence, and a mutation that cuts an input short still means something.
#ifndef TESTS_FUZZ_INPUT_READER_H_
#define TESTS_FUZZ_INPUT_READER_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ondavel_fuzz {

// Marks doubles nothing has written: a signalling NaN, which no arithmetic
// produces.  Only copies and fabs could pass it on, so the reader never
// yields it (nor its negative) from the input.
inline constexpr uint64_t kSentinelBits = 0x7FF4DEADBEEF0001u;
inline double Sentinel() { return std::bit_cast<double>(kSentinelBits); }
inline bool IsSentinel(double v) {
  return std::bit_cast<uint64_t>(v) == kSentinelBits;
}

class InputReader {
 public:
  InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return position_ >= size_; }

  uint8_t Byte() { return AtEnd() ? 0 : data_[position_++]; }

  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }

  int32_t I32() { return static_cast<int32_t>(U32()); }

  uint64_t U64() {
    const uint64_t low = U32();
    return low | (static_cast<uint64_t>(U32()) << 32);
  }

  // One byte picks the kind: a value from the table of awkward doubles, a
  // small exact value, or any 64-bit pattern (NaN payloads and signalling
  // NaN included).
  double Double();

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

}  // namespace ondavel_fuzz

#endif  // TESTS_FUZZ_INPUT_READER_H_
