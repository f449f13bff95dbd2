// The disk stack's SMART requests on a physical drive handle, in the
// records Windows defines for them (packed, little-endian).
#pragma once

#include <cstdint>

#include "os/os.h"

namespace hw {

namespace smart {
inline constexpr uint32_t kGetVersion = 0x74080;        // SMART_GET_VERSION
inline constexpr uint32_t kReceiveDriveData = 0x7C088;  // SMART_RCV_DRIVE_DATA

// GETVERSIONINPARAMS; byte 3 is bIDEDeviceMap: bit i an ATA device at
// drive i, bit 4 + i an ATAPI one.
inline constexpr uint32_t kVersionSize = 24;
inline constexpr uint32_t kDeviceMapOffset = 3;

// SENDCMDINPARAMS as sent, and SENDCMDOUTPARAMS with room for the 512 bytes
// of IDENTIFY data, which begin at kIdentifyDataOffset.
inline constexpr uint32_t kInputSize = 35;
inline constexpr uint32_t kOutputSize = 531;
inline constexpr uint32_t kIdentifyDataOffset = 16;
inline constexpr uint32_t kIdentifyDataSize = 512;

inline constexpr uint8_t kIdentifyDevice = 0xEC;
inline constexpr uint8_t kIdentifyPacketDevice = 0xA1;
}  // namespace smart

using SmartInput = uint8_t[smart::kInputSize];
using SmartOutput = uint8_t[smart::kOutputSize];

// SMART_GET_VERSION: the drive's IDE device map, or 0 when the request
// fails (the driver then handles no IDE/ATA commands either).
uint8_t QueryIdeDeviceMap(os::DeviceRef drive);

// Fills the zeroed `input` for IDENTIFY `command` of drive `driveNumber`
// and sends SMART_RCV_DRIVE_DATA; `output` (zeroed by the caller) receives
// the reply, `*returned` its size. Whether the request succeeded.
bool IdentifyDrive(os::DeviceRef drive, SmartInput& input, SmartOutput& output, uint8_t command,
                   uint8_t driveNumber, uint32_t* returned);

}  // namespace hw
