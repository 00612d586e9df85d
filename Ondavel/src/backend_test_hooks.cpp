// The scalar reference's test hooks, and the lookup over every back-end
// built here.
#define ONDAVEL_BACKEND Scalar
#define ONDAVEL_BACKEND_VECTOR V1
#include "kernels/test_hooks_backend.cpp"
#undef ONDAVEL_BACKEND
#undef ONDAVEL_BACKEND_VECTOR

#include <iterator>

#include "backend_test_hooks.h"

namespace ondavel {

#define ONDAVEL_HOOKS_POINTER_0(Symbol) nullptr,
#define ONDAVEL_HOOKS_POINTER_1(Symbol) &kTestHooks##Symbol,
#define ONDAVEL_HOOKS_POINTER(Symbol, built) \
  ONDAVEL_HOOKS_POINTER_##built(Symbol)
#define ONDAVEL_HOOKS_DECLARATION_0(Symbol)
#define ONDAVEL_HOOKS_DECLARATION_1(Symbol) \
  extern const BackendTestHooks kTestHooks##Symbol;
#define ONDAVEL_HOOKS_DECLARATION(Symbol, built) \
  ONDAVEL_HOOKS_DECLARATION_##built(Symbol)

#define ONDAVEL_BACKEND_ENTRY(Symbol, name, built) \
  ONDAVEL_HOOKS_DECLARATION(Symbol, built)
#include "backend_list.inc"
#undef ONDAVEL_BACKEND_ENTRY

namespace {

#define ONDAVEL_BACKEND_ENTRY(Symbol, name, built) \
  ONDAVEL_HOOKS_POINTER(Symbol, built)
constexpr const BackendTestHooks* kHooks[] = {
#include "backend_list.inc"
};
#undef ONDAVEL_BACKEND_ENTRY

static_assert(std::size(kHooks) == std::size(kBackends));

}  // namespace

const BackendTestHooks* TestHooksFor(Backend backend) {
  return kHooks[static_cast<int>(backend)];
}

}  // namespace ondavel
