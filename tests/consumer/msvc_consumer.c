/*
 * An MSVC-toolchain program using Ondavel.dll through the import library
 * Ondavel.lib.  Built with no C runtime at all (clang for the MSVC target,
 * lld-link, /nodefaultlib), so it proves that the import library alone links
 * the ten names with the right decoration and calling convention; the exit
 * status is the number of wrong values (0: all as expected).
 *
 * The input is known exactly: left = an impulse at n = 0 (L[k] = 1), right =
 * an impulse at n = 1 (R[k] = e^(-i pi k / 4)), so the packed spectrum
 * Z[k] = L[k] + i R[k] is (1 + sin(pi k / 4)) + i cos(pi k / 4).
 */
#include <Ondavel.h>

/* Compilers for the MSVC target reference _fltused once floating point is
 * used; the C runtime would define it. */
int _fltused = 0;

enum { kLength = 8 };

static double frame[2 * kLength];
static double spectrum[2 * kLength];
static double ratio[kLength / 2];
static double phase[kLength / 2];
static double leftMagnitude[kLength / 2];
static double rightMagnitude[kLength / 2];
static int failures;

static void ExpectNear(double actual, double expected) {
  double difference = actual - expected;
  if (!(difference <= 1e-15 && difference >= -1e-15)) ++failures;
}

int Start(void) {
  const double s = 0.70710678118654752; /* sqrt(2) / 2 */
  const double quarterPi = 0.78539816339744831;
  const double expected[2 * kLength] = {1,     1,  1 + s, s,  2,     0,
                                        1 + s, -s, 1,     -1, 1 - s, -s,
                                        0,     0,  1 - s, s};
  int k;

  frame[0] = 1.0;         /* left[0] */
  frame[2 * 1 + 1] = 1.0; /* right[1] */
  Ondavel_Construction(kLength, 0); /* rectangular window */
  Ondavel_Process(frame, spectrum, 0, 0, 1);
  for (k = 0; k < 2 * kLength; ++k) ExpectNear(spectrum[k], expected[k]);

  /* |L| = |R| = 1 everywhere, so the ratio is 1 (element 0: Im Z[0] /
   * Re Z[0], also 1); arg R - arg L is -pi k / 4 where Re R is not 0. */
  Ondavel_ACH_LR(spectrum, ratio);
  Ondavel_PhaseLR(spectrum, phase);
  Ondavel_MagLR(spectrum, leftMagnitude, rightMagnitude);
  for (k = 0; k < kLength / 2; ++k) {
    ExpectNear(ratio[k], 1.0);
    ExpectNear(leftMagnitude[k], 1.0);
    ExpectNear(rightMagnitude[k], 1.0);
  }
  ExpectNear(phase[0], 0.0);
  ExpectNear(phase[1], -quarterPi);
  ExpectNear(phase[3], -3 * quarterPi);
  ExpectNear(Ondavel_PhaseNorm(6 * quarterPi), -2 * quarterPi);
  ExpectNear(Ondavel_FreqNode(1, 44100.0), 5512.5);
  if (Ondavel_FFT_Node(11025.0, 44100.0) != 2) ++failures;
  Ondavel_Destruction();
  return failures;
}
