// Stand-in until the update sequence is part of orv_core: the executable
// builds and starts, does nothing and reports that it could not initialise.
#include "app/results.h"
#include "app/update.h"

namespace app {

uint32_t RunUpdate(char*) { return ResultInitFailed; }

}  // namespace app
