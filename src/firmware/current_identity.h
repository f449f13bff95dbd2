// The identity of the installed firmware, read from the BIOS area through
// the memory driver: SMBIOS strings, the maker's "DEVEL" and "DiaG@"
// blocks, the software-SMI model query; on AMI firmware the two values the
// AMI path compares.
#pragma once

#include <cstdint>

#include "core/results.h"

namespace firmware {

// The -1 of the AMI readers: the signature is not in the BIOS area.
inline constexpr uint32_t kSignatureMissing = 0xFFFFFFFF;

// Fills Firmware().CurrentFirmwareIdentity (fields not found stay empty);
// 0, or ResultDriverLoad when the driver cannot be opened.
core::ResultCode ReadCurrentIdentity();

// The decimal number after "AMIBIOS" (8 characters at its byte 26);
// kSignatureMissing without the block, ResultDriverLoad without the driver.
uint32_t ReadAmiBiosVersion();

// The 3-character part number of the "DEVEL" block and a NUL into
// `buffer` (4 bytes at least); 0, kSignatureMissing or ResultDriverLoad.
uint32_t ReadCurrentPartNumber(char* buffer);

}  // namespace firmware
