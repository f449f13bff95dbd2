// The update run: everything from start-up to the power-off request.
#pragma once

#include <cstdint>

namespace app {

// Runs the update with the command-line text (program name removed) and
// gives the process exit code.
uint32_t RunUpdate(char* commandLine);

}  // namespace app
