// The choice of the image and MICOM files that fit the installed firmware,
// and their copies under the names the flash tools are given.
#pragma once

#include "core/results.h"

namespace firmware {

// Logs the installed identity, takes the image whose name has characters 2
// and 3 of BiosPartVersion at its own positions 2 and 3 (any letter case;
// a lone image is taken as it is) and copies it to "bios.wph"; then, unless
// SkipUpdateMicom is set, the MICOM file the same way to "kbc.bin".
// ResultBiosFile or ResultMicomFile when none is taken, or its copy fails.
core::ResultCode SelectImageFiles();

}  // namespace firmware
