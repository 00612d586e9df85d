// The library's single engine record, shared by every export.
#ifndef ONDAVEL_SRC_ENGINE_STATE_H_
#define ONDAVEL_SRC_ENGINE_STATE_H_

#include <cstdint>

namespace ondavel {

struct EngineState {
  int32_t valueCount;     // 2N: doubles per complex buffer and per table
  int32_t length;         // N, as given to Ondavel_Construction
  double* windowTable;    // valueCount taper factors, in reordered position
  int32_t* reorderTable;  // valueCount source indices, counted in doubles
};

// Zero at load: no tables, length 0.
extern EngineState engine;

}  // namespace ondavel

#endif  // ONDAVEL_SRC_ENGINE_STATE_H_
