/*
 * Ondavel: radix-2 FFT of a stereo pair packed as complex values, with
 * cosine-sum tapering windows and per-bin comparisons of the two channels.
 *
 * One engine, shared by every function here: Ondavel_Construction sets it up
 * for a length N, Ondavel_Destruction releases it.  There is no handle and no
 * error channel; the functions are for one thread at a time.
 *
 * Buffers.  A complex buffer holds N complex values as 2N doubles: value k has
 * its real part at index 2k and its imaginary part at 2k + 1.  A stereo frame
 * is packed with the left channel in the real parts and the right channel in
 * the imaginary parts; its forward transform is Z[k] = L[k] + i R[k].
 * Spectra are in natural bin order (bins above N/2 are negative frequencies).
 * The caller owns every buffer; no function keeps a pointer after it returns.
 * Buffers need no alignment beyond that of a double.
 *
 * Flags are bytes; any nonzero value counts as true.
 *
 * Back-ends.  Each set-up picks the best instruction-set back-end the
 * processor and operating system support: avx512, avx2 or sse2 on x86, neon
 * on AArch64, or scalar (the reference, and the only back-end elsewhere).
 * Every back-end gives the same result bits (NaN sign and payload bits
 * aside).  The environment variable ONDAVEL_ISA, read at each set-up, names
 * a back-end to use instead: "scalar", "sse2", "avx2", "avx512" or "neon".
 * An unknown name, a back-end of another architecture or one the processor
 * lacks falls back to the best supported back-end.
 *
 * Build as a shared library (default).  To link the code statically into a
 * program, define ONDAVEL_STATIC when compiling both the library and callers.
 */
#ifndef ONDAVEL_H_
#define ONDAVEL_H_

#include <stdint.h>

#if defined(ONDAVEL_STATIC)
#define ONDAVEL_API
#elif defined(_WIN32)
#if defined(ONDAVEL_BUILDING_LIBRARY)
#define ONDAVEL_API __declspec(dllexport)
#else
#define ONDAVEL_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define ONDAVEL_API __attribute__((visibility("default")))
#else
#define ONDAVEL_API
#endif

/* The platform's standard C calling convention (cdecl on 32-bit x86). */
#if defined(_WIN32) && !defined(_WIN64)
#define ONDAVEL_CALL __cdecl
#else
#define ONDAVEL_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The exported names are fixed.  NOLINTBEGIN(readability-identifier-naming) */

/*
 * Sets the engine up for `length` complex points and tapering window
 * `windowType`, replacing any earlier set-up.  `length` must be a power of two
 * from 1 to 2^29; for any other value the length is still recorded (the
 * measures and the bin mapping use it) but no tables are built and
 * Ondavel_Process does nothing.  Window types: 1 Hann, 2 Hamming, 3 Nuttall
 * 3-term (continuous third derivative), 4 Blackman, 5 Nuttall 3-term
 * (continuous first derivative), 6 exact Blackman, 7 Nuttall minimum 3-term,
 * 8 Nuttall 4-term (continuous fifth derivative), 9 Nuttall 4-term
 * (continuous third derivative), 10 Nuttall 4-term (continuous first
 * derivative), 11 Blackman-Harris 4-term, 12 Nuttall minimum 4-term,
 * 13 three-term window scaled to unit mean; any other value: rectangular.
 * The tables take 24 * length bytes; if they cannot be allocated, none exist.
 */
ONDAVEL_API void ONDAVEL_CALL Ondavel_Construction(int32_t length,
                                                   uint32_t windowType);

/*
 * Releases the tables of the current set-up.  The recorded length stays, so
 * the measures and the bin mapping keep answering for it.  Calling it without
 * a set-up, or twice, does nothing.
 */
ONDAVEL_API void ONDAVEL_CALL Ondavel_Destruction(void);

/*
 * Transforms the complex buffer `source` (N values, read only) into
 * `destination` (N values, all overwritten).  The buffers must not overlap.
 * `forward` nonzero: kernel e^(-2 pi i nk/N), tapered by the window when
 * `applyWindow` is nonzero.  `forward` zero: kernel e^(+2 pi i nk/N), no taper.
 * The factor 1/N is applied when `normalizeForward` and `forward` are both
 * nonzero or both zero, so a forward and an inverse call with the same
 * `normalizeForward` return the input.  Without a valid set-up the call does
 * nothing and leaves `destination` as it was.
 */
ONDAVEL_API void ONDAVEL_CALL Ondavel_Process(const double* source,
                                              double* destination,
                                              unsigned char applyWindow,
                                              unsigned char normalizeForward,
                                              unsigned char forward);

/*
 * The four per-bin measures read a packed stereo spectrum of N values and
 * write bins 0 .. N/2 - 1 (N/2 rounded down) of each output array, and
 * nothing beyond.  Element 0 is written for every recorded length, so outputs
 * need at least max(1, N/2) elements and the spectrum at least max(1, N)
 * complex values.  Angles are in radians.  A channel's phase is 0 where its
 * real part is below 3.4e-38 in magnitude.
 */

/*
 * Magnitude ratio |R[k]| / |L[k]|, as the square root of the quotient of the
 * two squared magnitudes: +infinity where the left bin is zero, NaN where
 * both are; squares that underflow count as zero (so a right bin below about
 * 1e-154 over a zero left bin gives NaN, and a quotient of squares below the
 * smallest double gives 0).  Element 0 is the signed quotient
 * Im Z[0] / Re Z[0].
 */
ONDAVEL_API void ONDAVEL_CALL Ondavel_ACH_LR(const double* spectrum,
                                             double* ratio);

/*
 * Phase difference arg R[k] - arg L[k], wrapped by Ondavel_PhaseNorm.
 * Element 0 is +0.
 */
ONDAVEL_API void ONDAVEL_CALL Ondavel_PhaseLR(const double* spectrum,
                                              double* phase);

/*
 * Phase of each channel, arg L[k] and arg R[k], in [-pi, pi], not wrapped.
 * Both elements 0 are pi.
 */
ONDAVEL_API void ONDAVEL_CALL Ondavel_ArgLR(const double* spectrum,
                                            double* leftPhase,
                                            double* rightPhase);

/*
 * Magnitude of each channel, |L[k]| and |R[k]|, in the units of the spectrum.
 * Elements 0 are |Re Z[0]| and |Im Z[0]|.
 */
ONDAVEL_API void ONDAVEL_CALL Ondavel_MagLR(const double* spectrum,
                                            double* leftMagnitude,
                                            double* rightMagnitude);

/*
 * Wraps an angle into one turn by steps of 2 pi: a positive angle into
 * [-pi, pi), any other into (-pi, pi]; pi gives -pi and -pi gives pi.
 * Angles within 1024 turns are stepped exactly; larger ones are reduced by a
 * remainder into the same interval.  NaN and infinities give NaN.
 */
ONDAVEL_API double ONDAVEL_CALL Ondavel_PhaseNorm(double angle);

/*
 * The first bin at or above `frequency` for the recorded length, given the
 * sampling rate in the same unit: ceil(N * frequency / rate), the quotient
 * rounded to single precision first.  Gives -2147483648 when the rate is 0,
 * an input is NaN or the bin lies outside the int32 range.
 */
ONDAVEL_API int32_t ONDAVEL_CALL Ondavel_FFT_Node(double frequency,
                                                  double rate);

/* The frequency of bin `bin` for the recorded length: bin * rate / N. */
ONDAVEL_API double ONDAVEL_CALL Ondavel_FreqNode(int32_t bin, double rate);

/* NOLINTEND(readability-identifier-naming) */

#ifdef __cplusplus
}
#endif

#endif /* ONDAVEL_H_ */
