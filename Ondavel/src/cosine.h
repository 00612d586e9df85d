// The library's own cosine, so that the window tables hold the same bits on
// every platform: the C library's cos differs between systems in the last
// bit on some arguments.
#ifndef ONDAVEL_SRC_COSINE_H_
#define ONDAVEL_SRC_COSINE_H_

namespace ondavel {

// Largest |x| the reduction below handles itself.
inline constexpr double kCosineReducibleLimit = 24.0;

// cos(x), correctly rounded (to nearest) for |x| <= kCosineReducibleLimit,
// which holds every argument a window table asks for (below 6 pi): the same
// double on every platform.  Larger, infinite and NaN arguments give NaN:
// no caller has them, and the C library's cos would bring its own bits (and
// on some systems x87 code) back into the library.
double Cosine(double x);

}  // namespace ondavel

#endif  // ONDAVEL_SRC_COSINE_H_
