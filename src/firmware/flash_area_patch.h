// The patch of the flash-area table behind a Phoenix image that restricts or
// widens what the flash tool writes: "bios.wph" is changed in place before
// the tool reads it.
#pragma once

#include "firmware/flash_area_table.h"
#include "os/os.h"

namespace firmware {

// LocateFlashAreaTable over a file of the seam.
bool LocateFlashAreaTable(os::File& image, FlashAreaLayout* layout);

// Patches "bios.wph" for FlashLastArea, BreakEscd and DmiOnly; does nothing
// without them. 1 when it marked the table's last entry, 0 otherwise. The
// image stays as it was on any failure.
int PatchFlashAreaTable();

}  // namespace firmware
