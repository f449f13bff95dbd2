// The update run: from process start to the power-off request, one linear
// sequence on the main thread.
#pragma once

#include <cstdint>

namespace app {

// `commandLine` is the text the entry point received (program name removed,
// leading blanks skipped); it is consumed in place. Returns the exit code.
uint32_t RunUpdate(char* commandLine);

}  // namespace app
