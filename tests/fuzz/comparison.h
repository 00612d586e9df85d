// How the fuzzer compares doubles and reports a broken promise.
#ifndef TESTS_FUZZ_COMPARISON_H_
#define TESTS_FUZZ_COMPARISON_H_

#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace ondavel_fuzz {

// Prints what broke and aborts, which libFuzzer reports as a crash and
// keeps the input that caused it.
[[noreturn]] __attribute__((format(printf, 1, 2))) inline void Fail(
    const char* format, ...) {
  std::fprintf(stderr, "\nBROKEN PROMISE: ");
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fprintf(stderr, "\n");
  std::fflush(stderr);
  std::abort();
}

inline uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }

// Equal bits, or both NaN: which NaN an operation returns is left to the
// processor.
inline bool SameValue(double a, double b) {
  return Bits(a) == Bits(b) || (std::isnan(a) && std::isnan(b));
}

// Distance in units in the last place, counting doubles between a and b
// (+0 and -0 coincide); 0 for two NaN, the maximum for one.
inline uint64_t UlpDistance(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) {
    return std::isnan(a) && std::isnan(b) ? 0 : UINT64_MAX;
  }
  auto ordered = [](double v) {
    const uint64_t magnitude = Bits(v) & ~(uint64_t{1} << 63);
    return std::signbit(v) ? -static_cast<int64_t>(magnitude)
                           : static_cast<int64_t>(magnitude);
  };
  const int64_t x = ordered(a);
  const int64_t y = ordered(b);
  return x > y ? static_cast<uint64_t>(x) - static_cast<uint64_t>(y)
               : static_cast<uint64_t>(y) - static_cast<uint64_t>(x);
}

}  // namespace ondavel_fuzz

#endif  // TESTS_FUZZ_COMPARISON_H_
