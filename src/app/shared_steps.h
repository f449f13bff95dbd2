// The steps both flash paths take alike before their image checks.
#pragma once

#include "core/results.h"

namespace app {

enum class FlashPath { kPhoenix, kAmi };

// Empties the image list and both utility command lines, then parses the
// options with the path's parser. 0 or ResultInvalidOption.
core::ResultCode ParseCommandLine(FlashPath path, char* commandLine);

// The unpack task checked and the status line "Preparing BIOS update.".
void ShowPreparing();

// The controller's vendor: a vendor-'M' controller gets no MICOM update
// (SkipUpdateMicom); any other has its MICOM files listed, whatever the
// list's result. 0, or ResultDriverLoad when vendor 'M' was found but the
// driver would not open to locate its mailbox.
core::ResultCode CheckControllerStep();

}  // namespace app
