// The hard-disk password check: which physical drives are fixed disks with
// ATA security (a user password) enabled, asked of the disk stack through
// SMART requests. Needs no memory-access driver.
#pragma once

#include <cstdint>

namespace hw {

// Physical drives 0 to 3 are examined, no others.
inline constexpr uint8_t kExaminedDrives = 4;

// Bit i set: physical drive i is a fixed disk whose security is enabled. A
// drive that cannot be opened or does not answer leaves its bit clear; the
// check never fails as a whole.
uint32_t FindPasswordProtectedDrives();

}  // namespace hw
