// The update run: from process start to the power-off request, one linear
// sequence on the main thread.
#pragma once

#include <cstdint>

namespace app {

// The steps after the option parsing, and the AMI path, are not built yet:
// a run that gets there ends with this code, outside the result table, so
// that no script takes it for a finished update.
inline constexpr uint32_t kUpdateNotFinished = 0x800000FF;

// The machine-wide named object a run holds from its start to its end.
inline constexpr const char* kRunMarkerName = "OrvantaFirmwareUpdate";

// `commandLine` is the text the entry point received (program name removed,
// leading blanks skipped); it is consumed in place. Returns the exit code.
uint32_t RunUpdate(char* commandLine);

}  // namespace app
