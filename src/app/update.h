// The update run: from process start to the power-off request, one linear
// sequence on the main thread.
#pragma once

#include <cstdint>

namespace app {

// The machine-wide named object a run holds from its start to its end.
inline constexpr const char* kRunMarkerName = "OrvantaFirmwareUpdate";

// `commandLine` is the text the entry point received (program name removed,
// leading blanks skipped); it is consumed in place. Returns the exit code.
uint32_t RunUpdate(char* commandLine);

}  // namespace app
