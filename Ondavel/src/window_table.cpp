#include "window_table.h"

#include <cstddef>

#include "constants.h"
#include "cosine.h"

namespace ondavel {

namespace {

// Indexed by window type; row 0 is the rectangular window.
constexpr WindowCoefficients kWindows[] = {
    {1.0, 0.0, 0.0, 0.0, 1.0},                          // rectangular
    {1.0, 1.0, 0.0, 0.0, 2.0},                          // Hann
    {0.54, 0.46, 0.0, 0.0, 1.0},                        // Hamming
    {0.375, 0.5, 0.125, 0.0, 1.0},                      // Nuttall 3, C3
    {0.42, 0.5, 0.08, 0.0, 1.0},                        // Blackman
    {0.40897, 0.5, 0.09103, 0.0, 1.0},                  // Nuttall 3, C1
    {7938.0, 9240.0, 1430.0, 0.0, 18608.0},             // exact Blackman
    {0.4243801, 0.4973406, 0.0782793, 0.0, 1.0},        // Nuttall min 3
    {10.0, 15.0, 6.0, 1.0, 32.0},                       // Nuttall 4, C5
    {0.338946, 0.481973, 0.161054, 0.018027, 1.0},      // Nuttall 4, C3
    {0.355768, 0.487396, 0.144232, 0.012604, 1.0},      // Nuttall 4, C1
    {0.35875, 0.48829, 0.14128, 0.01168, 1.0},          // Blackman-Harris
    {0.3635819, 0.4891775, 0.1365995, 0.0106411, 1.0},  // Nuttall min 4
    {0.762, 1.0, 0.238, 0.0, 0.762},                    // unit mean
};

}  // namespace

WindowCoefficients CoefficientsOf(uint32_t windowType) {
  constexpr uint32_t kTypes = sizeof(kWindows) / sizeof(kWindows[0]);
  return kWindows[windowType < kTypes ? windowType : 0];
}

void FillWindowTable(double* window, const int32_t* reorder, int32_t length,
                     uint32_t windowType) {
  const WindowCoefficients w = CoefficientsOf(windowType);
  const double n = static_cast<double>(length);
  for (size_t i = 0; i < static_cast<size_t>(length); ++i) {
    const int32_t reversed = reorder[2 * i] >> 1;
    const double x = (static_cast<double>(reversed) * kTwoPi) / n;
    // All three cosines are taken whatever the coefficients, so every window
    // costs the same to build.  The library's own, correctly rounded cosine
    // makes the table the same on every platform.
    const double c1 = Cosine(x);
    const double c2 = Cosine(x + x);
    const double c3 = Cosine(x * 3.0);
    const double value = (((w.a0 - w.a1 * c1) + w.a2 * c2) - w.a3 * c3) / w.d;
    window[2 * i] = value;
    window[2 * i + 1] = value;
  }
}

}  // namespace ondavel
