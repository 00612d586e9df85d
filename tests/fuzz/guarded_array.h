// A caller's array of doubles as the library would receive it: its own heap
// block, so AddressSanitizer sees any access past either end, optionally one
// double off the allocator's alignment and followed by a few spare elements.
// The double before a shifted array and the spare ones hold the sentinel,
// and must still hold it after a call.
#ifndef TESTS_FUZZ_GUARDED_ARRAY_H_
#define TESTS_FUZZ_GUARDED_ARRAY_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "input_reader.h"

namespace ondavel_fuzz {

// Where an array sits in its block: `lead` doubles before it (0 or 1, the
// latter putting it 8 bytes off the allocator's 16-byte alignment) and
// `trail` spare doubles after it.  Lead and trail 0: exactly the size asked.
struct ArrayLayout {
  size_t lead = 0;
  size_t trail = 0;

  static ArrayLayout FromByte(uint8_t b) { return {b & 1u, (b >> 1) & 3u}; }
};

class GuardedArray {
 public:
  GuardedArray(size_t count, ArrayLayout layout);
  ~GuardedArray() { std::free(block_); }
  GuardedArray(const GuardedArray&) = delete;
  GuardedArray& operator=(const GuardedArray&) = delete;

  double* data() { return block_ + layout_.lead; }
  const double* data() const { return block_ + layout_.lead; }
  double operator[](size_t i) const { return data()[i]; }
  size_t size() const { return count_; }

  void Assign(const std::vector<double>& values);  // values.size() == size()
  bool Equals(const std::vector<double>& values) const;  // bit for bit

  bool GuardsIntact() const;
  // The first element in [0, end) that still holds the sentinel, or end.
  size_t FirstUnwritten(size_t end) const;

 private:
  double* block_;
  size_t count_;
  ArrayLayout layout_;
};

}  // namespace ondavel_fuzz

#endif  // TESTS_FUZZ_GUARDED_ARRAY_H_
