// Engine set-up and release.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Ondavel.h"
#include "constants.h"
#include "dispatch.h"
#include "engine_state.h"
#include "reorder_table.h"
#include "window_table.h"

namespace {

using ondavel::engine;

constexpr int32_t kMaxLength = int32_t{1} << ondavel::kMaxLengthBits;

// The window table starts this far past a 4 KiB boundary.  Large buffers
// usually start just past one (the allocator maps them page by page), and
// the gather reads the table at the same offsets at which it writes the
// destination: with both at the same place in a page, each piece of work
// would crowd its lines into the same few cache sets.
constexpr uintptr_t kPage = 4096;
constexpr uintptr_t kWindowPlacement = 2048 + 64;

// A window table of `count` doubles at kWindowPlacement in its page; the
// allocation itself is remembered just below the table.
double* NewWindowTable(size_t count) {
  if (count > (SIZE_MAX - kPage - sizeof(void*)) / sizeof(double)) {
    return nullptr;  // the size would not fit (narrow address spaces)
  }
  void* block = std::malloc(count * sizeof(double) + kPage + sizeof(void*));
  if (block == nullptr) return nullptr;
  char* const start = static_cast<char*>(block) + sizeof(void*);
  const uintptr_t at = reinterpret_cast<uintptr_t>(start) % kPage;
  char* const table = start + (kWindowPlacement + kPage - at) % kPage;
  std::memcpy(table - sizeof(void*), &block, sizeof(void*));
  return reinterpret_cast<double*>(table);
}

void DeleteWindowTable(double* table) {
  void* block = nullptr;
  std::memcpy(&block, reinterpret_cast<char*>(table) - sizeof(void*),
              sizeof(void*));
  std::free(block);
}

void ReleaseTables() {
  if (engine.reorderTable != nullptr) {
    std::free(engine.reorderTable);
    engine.reorderTable = nullptr;
  }
  if (engine.windowTable != nullptr) {
    DeleteWindowTable(engine.windowTable);
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
  auto* reorder =
      count <= SIZE_MAX / sizeof(int32_t)
          ? static_cast<int32_t*>(std::malloc(count * sizeof(int32_t)))
          : nullptr;
  double* window = NewWindowTable(count);
  if (reorder == nullptr || window == nullptr) {
    std::free(reorder);
    if (window != nullptr) DeleteWindowTable(window);
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
