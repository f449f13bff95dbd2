#include "hw/smart_requests.h"

#include "os/little_endian.h"

namespace hw {
namespace {

// SENDCMDINPARAMS: cBufferSize, then IDEREGS (features, sector count,
// sector number, cylinder low, cylinder high, drive/head, command), then
// bDriveNumber.
constexpr uint32_t kBufferSizeAt = 0;
constexpr uint32_t kSectorCountAt = 5, kSectorNumberAt = 6, kDriveHeadAt = 9, kCommandAt = 10;
constexpr uint32_t kDriveNumberAt = 12;

// Master (0xA0) or slave (0xB0) on the drive's channel, from bit 0 of its number.
uint8_t DriveHead(uint8_t driveNumber) {
  return static_cast<uint8_t>(0xA0 | (driveNumber & 1) << 4);
}

}  // namespace

uint8_t QueryIdeDeviceMap(os::DeviceRef drive) {
  uint8_t version[smart::kVersionSize] = {};
  uint32_t returned = 0;
  if (!os::Os().devices->Control(drive, smart::kGetVersion, nullptr, 0, version, sizeof version,
                                 &returned))
    return 0;
  return version[smart::kDeviceMapOffset];
}

bool IdentifyDrive(os::DeviceRef drive, SmartInput& input, SmartOutput& output, uint8_t command,
                   uint8_t driveNumber, uint32_t* returned) {
  little_endian::Store32(input + kBufferSizeAt, smart::kIdentifyDataSize);
  input[kSectorCountAt] = 1;
  input[kSectorNumberAt] = 1;
  input[kDriveHeadAt] = DriveHead(driveNumber);
  input[kCommandAt] = command;
  input[kDriveNumberAt] = driveNumber;
  return os::Os().devices->Control(drive, smart::kReceiveDriveData, input, sizeof input, output,
                                   sizeof output, returned);
}

}  // namespace hw
