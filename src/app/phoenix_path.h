// The Phoenix flash path: from the option parsing to the power-off
// request, with the log markers "Step 00" to "Step 08".
#pragma once

#include <cstdint>

namespace app {

// `commandLine` is the text the entry point received, consumed in place.
// Returns the exit code: 0 for every ending without a failure (read-BIOS
// mode, a DMI-only run, an update that ends with or without the power-off
// request), else the reported result.
uint32_t RunPhoenixPath(char* commandLine);

}  // namespace app
