/* A C translation unit that uses the whole public header. */
#ifndef TESTS_LIBRARY_C_CALLER_H_
#define TESTS_LIBRARY_C_CALLER_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Sets the engine up for 8 points with window 12, transforms `source`
 * (8 values) into `spectrum` forward and tapered, writes the four measures
 * to measures[0..23] (4 elements each: ratio, phase, left and right phase,
 * left and right magnitude), PhaseNorm(7) and FreqNode(3, 44100) to
 * scalars[0..1], FFT_Node of that frequency to nodes[0], and releases. */
void CallEveryExportFromC(const double* source, double* spectrum,
                          double* measures, double* scalars, int32_t* nodes);

#ifdef __cplusplus
}
#endif

#endif /* TESTS_LIBRARY_C_CALLER_H_ */
