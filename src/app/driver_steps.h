// The start-up steps that make the memory-access driver usable, and the
// driver bracket every hardware operation opens with.
#pragma once

#include "core/results.h"

namespace app {

// Windows versions served by ADDMEM or MEMIO.VXD: extracts "addmem.sys" into
// the current directory, which the sequence has made %TEMP% (or "C:\"). 1
// when the driver file is in place, also when the file is held by the driver
// still running from an earlier run (its device opens now; the file then
// stays as it is and that driver is used); 0 when the member was not
// extracted or something else holds the file (the run then ends with
// ResultUnpackFailed).
int StageLegacyDriver();

// Opens the driver and searches the firmware area for "AMIBIOS Version",
// setting AmiFirmware. 0 when the driver could not be opened (the run then
// ends with ResultDriverLoad), 1 otherwise.
int DetectAmiFirmware();

// Writes 0 to CMOS 0x20 to 0x7F of the first bank and 0x00 to 0x7F of the
// second. 0, or ResultDriverLoad.
core::ResultCode ClearCmosBytes();

}  // namespace app
