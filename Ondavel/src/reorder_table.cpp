#include "reorder_table.h"

#include <cstddef>

namespace ondavel {

void FillReorderTable(int32_t* table, int32_t length, int bits) {
  const size_t n = static_cast<size_t>(length);
  // Bit passes, lowest input bit first: after pass b, the even entry holds the
  // low b + 1 bits of i reversed.  The odd entries are only written below.
  for (size_t i = 0; i < n; ++i) table[2 * i] = 0;
  for (int b = 0; b < bits; ++b) {
    for (size_t i = 0; i < n; ++i) {
      table[2 * i] = 2 * table[2 * i] + static_cast<int32_t>((i >> b) & 1u);
    }
  }
  for (size_t i = 0; i < n; ++i) {
    const int32_t reversed = table[2 * i];
    table[2 * i] = 2 * reversed;
    table[2 * i + 1] = 2 * reversed + 1;
  }
}

}  // namespace ondavel
