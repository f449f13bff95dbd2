// What the Phoenix flash tool's "newSys.bin" says about the image it
// refused: its model and part number for the message, and the flash-area
// entry a DMI-only run keeps.
#pragma once

#include <cstdint>
#include <string>

#include "core/results.h"

namespace firmware {

// Scans the file for its "DiaG@", "DEVEL", "BCPDMI" and "BCPSYS" blocks
// into NewModelNumber, NewPartNumber and KeptAreaIndex. 0 when all four
// were found; ResultBiosFile otherwise (what was found is kept) or when the
// file cannot be read. `keptAreaWord` (when given) receives the "BCPSYS"
// word when that block was found.
core::ResultCode ReadNewSystemIdentity(const std::string& name, uint16_t* keptAreaWord = nullptr);

}  // namespace firmware
