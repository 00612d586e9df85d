#include "dispatch.h"

#include <cstdlib>
#include <iterator>

#include "cpu_features.h"
#include "kernels/backend_entry_points.h"

namespace ondavel {

// Every back-end built here gets a table of its entry points, each slot set
// by name; the scalar reference's functions follow the same naming rule
// (measures_scalar.h, transform_scalar.h), and its table is kScalarKernels.
#define ONDAVEL_KERNEL_TABLE_0(Symbol)
#define ONDAVEL_KERNEL_SLOT(Name, member, Function, Symbol) \
  .member = ONDAVEL_BACKEND_FUNCTION(Name, Symbol),
#define ONDAVEL_KERNEL_TABLE_1(Symbol)                   \
  ONDAVEL_DECLARE_BACKEND_KERNELS(Symbol)                \
  extern constexpr BackendKernels k##Symbol##Kernels = { \
      ONDAVEL_KERNELS(ONDAVEL_KERNEL_SLOT, Symbol)};
#define ONDAVEL_KERNEL_TABLE(Symbol, built) ONDAVEL_KERNEL_TABLE_##built(Symbol)
#define ONDAVEL_BACKEND_ENTRY(Symbol, name, built) \
  ONDAVEL_KERNEL_TABLE(Symbol, built)
#include "backend_list.inc"
#undef ONDAVEL_BACKEND_ENTRY

namespace {

// Indexed by Backend: the table, or null where the back-end is not built.
#define ONDAVEL_KERNEL_POINTER_0(Symbol) nullptr,
#define ONDAVEL_KERNEL_POINTER_1(Symbol) &k##Symbol##Kernels,
#define ONDAVEL_KERNEL_POINTER(Symbol, built) \
  ONDAVEL_KERNEL_POINTER_##built(Symbol)
#define ONDAVEL_BACKEND_ENTRY(Symbol, name, built) \
  ONDAVEL_KERNEL_POINTER(Symbol, built)
constexpr const BackendKernels* kBuiltKernels[] = {
#include "backend_list.inc"
};
#undef ONDAVEL_BACKEND_ENTRY

static_assert(std::size(kBuiltKernels) == std::size(kBackends));

}  // namespace

constinit const BackendKernels* activeKernels = &kScalarKernels;

const BackendKernels* BuiltKernels(Backend backend) {
  return kBuiltKernels[static_cast<int>(backend)];
}

// The features are read anew at every set-up (a few hundred cycles), so the
// library keeps no hidden state and needs no thread-safe static
// initialisation.
Backend RequestedBackend() {
  return ChosenBackend(ReadCpuFeatures(), std::getenv("ONDAVEL_ISA"));
}

const BackendKernels& KernelsFor(Backend backend) {
  const BackendKernels* kernels = BuiltKernels(backend);
  return kernels != nullptr ? *kernels : kScalarKernels;
}

Backend ActiveBackend() {
  for (const BackendEntry& b : kBackends) {
    if (BuiltKernels(b.backend) == activeKernels) return b.backend;
  }
  return Backend::kScalar;
}

void SelectKernels() { activeKernels = &KernelsFor(RequestedBackend()); }

}  // namespace ondavel
