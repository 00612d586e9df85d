// Engine set-up and release.
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "Ondavel.h"
#include "dispatch.h"
#include "engine_state.h"
#include "reorder_table.h"
#include "window_table.h"

namespace {

using ondavel::engine;

// The largest length whose 2N doubles still count in a signed 32-bit value.
constexpr int32_t kMaxLength = int32_t{1} << 29;

void ReleaseTables() {
  if (engine.reorderTable != nullptr) {
    std::free(engine.reorderTable);
    engine.reorderTable = nullptr;
  }
  if (engine.windowTable != nullptr) {
    std::free(engine.windowTable);
    engine.windowTable = nullptr;
  }
}

bool IsSupportedLength(int32_t length) {
  return length > 0 && length <= kMaxLength &&
         std::has_single_bit(static_cast<uint32_t>(length));
}

}  // namespace

extern "C" ONDAVEL_API void ONDAVEL_CALL
Ondavel_Construction(int32_t length, uint32_t windowType) {
  // Tables of an unpaired earlier set-up would otherwise leak.
  ReleaseTables();
  engine.length = length;
  // Computed in 64 bits: lengths beyond 2^30 would overflow, and they get
  // no tables anyway.
  const int64_t values = 2 * static_cast<int64_t>(length);
  engine.valueCount =
      IsSupportedLength(length) ? static_cast<int32_t>(values) : 0;
  ondavel::SelectKernels();
  if (!IsSupportedLength(length)) return;

  const size_t count = static_cast<size_t>(engine.valueCount);
  auto* reorder = static_cast<int32_t*>(std::malloc(count * sizeof(int32_t)));
  auto* window = static_cast<double*>(std::malloc(count * sizeof(double)));
  if (reorder == nullptr || window == nullptr) {
    std::free(reorder);
    std::free(window);
    return;
  }
  // Exact integer log2: the length is a power of two.
  const int bits = std::countr_zero(static_cast<uint32_t>(length));
  ondavel::FillReorderTable(reorder, length, bits);
  ondavel::FillWindowTable(window, reorder, length, windowType);
  engine.reorderTable = reorder;
  engine.windowTable = window;
}

extern "C" ONDAVEL_API void ONDAVEL_CALL Ondavel_Destruction(void) {
  ReleaseTables();
}
