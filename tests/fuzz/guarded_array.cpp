#include "guarded_array.h"

#include <cstring>

namespace ondavel_fuzz {

GuardedArray::GuardedArray(size_t count, ArrayLayout layout)
    : count_(count), layout_(layout) {
  const size_t total = layout.lead + count + layout.trail;
  // malloc(0) may give null; one double keeps the pointer valid while the
  // array itself stays empty.
  block_ = static_cast<double*>(
      std::malloc(sizeof(double) * (total == 0 ? 1 : total)));
  if (block_ == nullptr) std::abort();
  for (size_t i = 0; i < total; ++i) block_[i] = Sentinel();
}

void GuardedArray::Assign(const std::vector<double>& values) {
  std::memcpy(data(), values.data(), sizeof(double) * count_);
}

bool GuardedArray::Equals(const std::vector<double>& values) const {
  return values.size() == count_ &&
         std::memcmp(data(), values.data(), sizeof(double) * count_) == 0;
}

bool GuardedArray::GuardsIntact() const {
  for (size_t i = 0; i < layout_.lead; ++i) {
    if (!IsSentinel(block_[i])) return false;
  }
  const double* after = data() + count_;
  for (size_t i = 0; i < layout_.trail; ++i) {
    if (!IsSentinel(after[i])) return false;
  }
  return true;
}

size_t GuardedArray::FirstUnwritten(size_t end) const {
  for (size_t i = 0; i < end; ++i) {
    if (IsSentinel(data()[i])) return i;
  }
  return end;
}

}  // namespace ondavel_fuzz
