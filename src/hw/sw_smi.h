// The firmware's software-SMI interface, advertised by a "SwSmi@" record in
// the BIOS area: a command and up to 16 bytes pass through a "CX" mailbox
// record in physical memory.
#pragma once

#include <cstdint>

namespace hw {

// Finds the record in the 64 KiB at 0xF0000 and keeps it (Hw().swSmi).
// True when it is there, whole, and of a usable level (0x24 or more).
bool LocateSwSmi();

// Calls the firmware with `command` and the first `inputLength` (0 to 16)
// bytes of `buffer`, and leaves the reply in `buffer` (16 bytes) as a text
// of at most 16 characters. False, with 16 zero bytes in `buffer`, when
// LocateSwSmi has not found a usable record, the input is too long, the
// firmware did not answer, or the driver dropped the open, the trigger or the
// close (which is sent in every case once the call was opened).
bool CallSwSmi(uint16_t command, uint8_t* buffer, uint32_t inputLength);

}  // namespace hw
