// The lane-by-lane checks of the vector contract (kernels/simd/
// vector_contract.h), compiled once per back-end with its flags like the
// kernels (vector_contract_checks_backend.cpp), reporting to the test in
// plain C types: a back-end file must not hold any inline library function
// that the linker could hand to the others.
#ifndef ONDAVEL_TESTS_PATHS_VECTOR_CONTRACT_CHECKS_H_
#define ONDAVEL_TESTS_PATHS_VECTOR_CONTRACT_CHECKS_H_

#include <cstdint>

namespace ondavel::vector_contract {

// One lane that differs from the scalar model: `lanes` names the vector
// (V1, V2, ...), got and expected are the lane's bits (masks: 1 or 0).
using ReportFailure = void (*)(void* context, const char* primitive, int lanes,
                               int lane, uint64_t got, uint64_t expected);

}  // namespace ondavel::vector_contract

// Runs every check on the back-end's vector and each of its halves down to
// V1, reporting each failing lane; returns the number of lanes compared.
#define ONDAVEL_VECTOR_CHECKS_FUNCTION(Backend) \
  ONDAVEL_VECTOR_CHECKS_PASTE(CheckVectorContract, Backend)
#define ONDAVEL_VECTOR_CHECKS_PASTE(name, Backend) name##Backend
#define ONDAVEL_DECLARE_VECTOR_CHECKS(Backend)                      \
  namespace ondavel::vector_contract {                              \
  int ONDAVEL_VECTOR_CHECKS_FUNCTION(Backend)(ReportFailure report, \
                                              void* context);       \
  }

#endif  // ONDAVEL_TESTS_PATHS_VECTOR_CONTRACT_CHECKS_H_
