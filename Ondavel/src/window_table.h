// The tapering windows, stored in the transform's gather order.
#ifndef ONDAVEL_SRC_WINDOW_TABLE_H_
#define ONDAVEL_SRC_WINDOW_TABLE_H_

#include <cstdint>

namespace ondavel {

// Cosine-sum window W(n) = (a0 - a1 cos x + a2 cos 2x - a3 cos 3x) / d.
struct WindowCoefficients {
  double a0, a1, a2, a3, d;
};

// Types 1 to 13 select a cosine-sum window; any other is rectangular.
WindowCoefficients CoefficientsOf(uint32_t windowType);

// Fills window[0 .. 2N): entries 2i and 2i + 1 both hold W(r) with r half of
// reorder[2i], the window value of the input value gathered to position i.
void FillWindowTable(double* window, const int32_t* reorder, int32_t length,
                     uint32_t windowType);

}  // namespace ondavel

#endif  // ONDAVEL_SRC_WINDOW_TABLE_H_
