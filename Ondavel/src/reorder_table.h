// The bit-reversal gather table of the transform.
#ifndef ONDAVEL_SRC_REORDER_TABLE_H_
#define ONDAVEL_SRC_REORDER_TABLE_H_

#include <cstdint>

namespace ondavel {

// Fills table[0 .. 2N) for N = 2^bits: entries 2i and 2i + 1 hold 2 rev(i)
// and 2 rev(i) + 1, the positions of the real and imaginary part of input
// value rev(i) in an interleaved complex buffer.
void FillReorderTable(int32_t* table, int32_t length, int bits);

}  // namespace ondavel

#endif  // ONDAVEL_SRC_REORDER_TABLE_H_
