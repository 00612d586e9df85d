/* Calls every export from C, the way a C program sees the header. */
#include "tests/library/c_caller.h"

#include <Ondavel.h>

void CallEveryExportFromC(const double* source, double* spectrum,
                          double* measures, double* scalars, int32_t* nodes) {
  Ondavel_Construction(8, 12);
  /* Flags as a C caller may pass them: any nonzero byte is true. */
  Ondavel_Process(source, spectrum, 2, 0, 0x80);
  Ondavel_ACH_LR(spectrum, measures);
  Ondavel_PhaseLR(spectrum, measures + 4);
  Ondavel_ArgLR(spectrum, measures + 8, measures + 12);
  Ondavel_MagLR(spectrum, measures + 16, measures + 20);
  scalars[0] = Ondavel_PhaseNorm(7.0);
  scalars[1] = Ondavel_FreqNode(3, 44100.0);
  nodes[0] = Ondavel_FFT_Node(scalars[1], 44100.0);
  Ondavel_Destruction();
}
