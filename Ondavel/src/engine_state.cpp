#include "engine_state.h"

namespace ondavel {

// Constant-initialised: the library runs no code of its own at load.
constinit EngineState engine{};

}  // namespace ondavel
