// The AMI flash path, taken on AMI firmware instead of the Phoenix steps:
// the image's version and part number checked against the installed
// firmware, the AMI flash tool, then the shared completion.
#pragma once

#include <cstdint>

namespace app {

// `commandLine` is the text the entry point received, consumed in place.
// Returns the exit code: 0 after a run that went through, else the
// reported result (-1 when the image's part number cannot be read).
uint32_t RunAmiPath(char* commandLine);

}  // namespace app
