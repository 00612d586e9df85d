// Small integer helpers of the vector transform: bit reversal, log2 of a
// power of two, the smaller of two counts.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_INDEX_BITS_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_INDEX_BITS_H_

#include <cstddef>
#include <cstdint>

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

// Not std::min: its out-of-line copy would be shared with other
// instruction-set files.
inline size_t SmallerOf(size_t a, size_t b) { return a < b ? a : b; }

constexpr int Log2(int x) { return x <= 1 ? 0 : 1 + Log2(x / 2); }

// The low `bits` bits of x in reverse order (0 for bits = 0).
inline uint32_t ReverseLowBits(uint32_t x, int bits) {
  if (bits == 0) return 0;
  x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
  x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
  x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
  x = ((x >> 8) & 0x00FF00FFu) | ((x & 0x00FF00FFu) << 8);
  x = (x >> 16) | (x << 16);
  return x >> (32 - bits);
}

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_INDEX_BITS_H_
