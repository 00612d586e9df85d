/*
 * An outside C program using the library: a stereo frame of two known tones
 * through the forward transform, each channel's magnitude per bin, then the
 * inverse transform back to the frame.  Exits nonzero on any wrong value.
 */
#include <Ondavel.h>
#include <math.h>
#include <stdio.h>

enum { kLength = 64, kLeftBin = 3, kRightBin = 5 };

static int failures = 0;

static void ExpectNear(const char* what, int index, double actual,
                       double expected, double tolerance) {
  if (!(fabs(actual - expected) <= tolerance)) {
    printf("%s[%d] is %.17g, expected %.17g\n", what, index, actual, expected);
    ++failures;
  }
}

int main(void) {
  /* Every buffer is the caller's: 2N doubles for N complex values, N/2 for
   * each measure's output. */
  static double frame[2 * kLength];
  static double spectrum[2 * kLength];
  static double restored[2 * kLength];
  static double leftMagnitude[kLength / 2];
  static double rightMagnitude[kLength / 2];
  const double twoPi = 6.283185307179586;
  int n;
  int k;

  /* Left: a cosine on bin 3.  Right: a sine of amplitude 0.5 on bin 5. */
  for (n = 0; n < kLength; ++n) {
    frame[2 * n] = cos(twoPi * kLeftBin * n / kLength);
    frame[2 * n + 1] = 0.5 * sin(twoPi * kRightBin * n / kLength);
  }

  Ondavel_Construction(kLength, 0); /* 0: rectangular window */
  Ondavel_Process(frame, spectrum, 0, 0, 1);
  Ondavel_MagLR(spectrum, leftMagnitude, rightMagnitude);
  for (k = 0; k < kLength / 2; ++k) {
    ExpectNear("left magnitude", k, leftMagnitude[k],
               k == kLeftBin ? kLength / 2.0 : 0.0, 1e-12 * kLength);
    ExpectNear("right magnitude", k, rightMagnitude[k],
               k == kRightBin ? kLength / 4.0 : 0.0, 1e-12 * kLength);
  }

  /* The inverse transform carries the 1/N factor: the frame comes back. */
  Ondavel_Process(spectrum, restored, 0, 0, 0);
  for (n = 0; n < 2 * kLength; ++n) {
    ExpectNear("restored", n, restored[n], frame[n], 1e-14);
  }
  Ondavel_Destruction();

  if (failures == 0) printf("C consumer: all values as expected\n");
  return failures == 0 ? 0 : 1;
}
