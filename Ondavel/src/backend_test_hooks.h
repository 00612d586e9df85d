// The test hooks (kernels/test_hooks.h) of every back-end built here.
#ifndef ONDAVEL_SRC_BACKEND_TEST_HOOKS_H_
#define ONDAVEL_SRC_BACKEND_TEST_HOOKS_H_

#include "backends.h"
#include "kernels/test_hooks.h"

namespace ondavel {

// The hooks of `backend`, or null where it is not built here.
const BackendTestHooks* TestHooksFor(Backend backend);

}  // namespace ondavel

#endif  // ONDAVEL_SRC_BACKEND_TEST_HOOKS_H_
