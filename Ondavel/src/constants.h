// Angles are in radians; pi and 2 pi are the doubles nearest to them.
#ifndef ONDAVEL_SRC_CONSTANTS_H_
#define ONDAVEL_SRC_CONSTANTS_H_

namespace ondavel {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;

// The longest length set-up accepts is 2^kMaxLengthBits: the largest whose
// 2N doubles still count in a signed 32-bit value.  The transform's fixed
// sizes are checked against it.
inline constexpr int kMaxLengthBits = 29;

// A channel whose real sum is smaller than this gets phase 0.
inline constexpr double kAngleGuard = 3.4e-38;

}  // namespace ondavel

#endif  // ONDAVEL_SRC_CONSTANTS_H_
