// The reference per-bin measures, and the per-bin formulae they share with
// the faster paths.
#ifndef ONDAVEL_SRC_KERNELS_MEASURES_SCALAR_H_
#define ONDAVEL_SRC_KERNELS_MEASURES_SCALAR_H_

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "constants.h"
#include "kernels/atan2_simd.h"
#include "kernels/simd/vec.h"

namespace ondavel {

// Twice the left and right spectra at bin k, from Z[k] = a + bi and
// Z[N - k] = c + di by conjugate symmetry.
struct ChannelSums {
  double leftRe, leftIm, rightRe, rightIm;
};

// Internal linkage: this header is compiled into every instruction-set
// file with different target flags, and the linker must never merge an
// AVX-encoded copy into a path meant for an older processor.
namespace {

// a + b, a the first operand whatever the compiler prefers: of two NaN the
// first wins, so every path agrees on the bits of a NaN result.
inline double SumInOrder(double a, double b) {
  return simd::AddInOrder(simd::V1{a}, simd::V1{b}).v;
}

inline ChannelSums SumsAt(const double* spectrum, size_t k, size_t length) {
  const double a = spectrum[2 * k];
  const double b = spectrum[2 * k + 1];
  const double c = spectrum[2 * (length - k)];
  const double d = spectrum[2 * (length - k) + 1];
  return {SumInOrder(a, c), b - d, SumInOrder(b, d), c - a};
}

// The argument of re + i im, or 0 where the real part is (almost) zero.
// The library's own arctangent, as on the vector paths, so that every path
// and platform gives the same angle.
inline double GuardedAngle(double im, double re) {
  return std::fabs(re) < kAngleGuard
             ? 0.0
             : simd::Atan2(simd::V1{im}, simd::V1{re}).v;
}

// Bins 1 .. N/2 - 1 exist only for N >= 4; N/2 rounds down.
inline size_t UpperBinEnd(int32_t length) {
  return length >= 4 ? static_cast<size_t>(length / 2) : 1;
}

}  // namespace

void MagnitudeRatioScalar(const double* spectrum, double* ratio,
                          int32_t length);
void PhaseDifferenceScalar(const double* spectrum, double* phase,
                           int32_t length);
void ChannelPhasesScalar(const double* spectrum, double* left, double* right,
                         int32_t length);
void ChannelMagnitudesScalar(const double* spectrum, double* left,
                             double* right, int32_t length);

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_MEASURES_SCALAR_H_
