// The BIOS flash tool's run and what its exit code means.
#pragma once

#include "core/results.h"

namespace firmware {

// Runs the flash tool with `commandLine` (relative to the work directory).
// Exit code -120 (model refused) gives ResultToolModelMismatch, -110 and
// -109 (image not newer) ResultBiosDate: both after "newSys.bin" was read
// for the message and the input devices were resumed. Any other exit code
// is success: the tool sets are deleted and the "Flash Bios" task marked
// done. A process command line too long to start gives
// ResultInvalidOption; a tool that could not be started, that the system
// ended (a failure status as its exit code) or whose exit code cannot be
// read, ResultBiosFile.
core::ResultCode RunFlashTool(const char* commandLine);

}  // namespace firmware
