#include "hw/disk_password.h"

#include <string>

#include "hw/smart_requests.h"
#include "os/os.h"

namespace hw {
namespace {

// IDENTIFY word 0 bit 6 (fixed device) and word 128 bit 1 (security
// enabled), as bytes of the SMART output.
constexpr uint32_t kFixedByte = smart::kIdentifyDataOffset + 0;
constexpr uint8_t kFixedMask = 0x40;
constexpr uint32_t kSecurityByte = smart::kIdentifyDataOffset + 2 * 128;
constexpr uint8_t kSecurityEnabledMask = 0x02;

bool IsProtectedFixedDisk(os::DeviceRef drive, uint8_t number) {
  const uint8_t deviceMap = QueryIdeDeviceMap(drive);
  if (deviceMap == 0) return false;
  const uint8_t command =
      (deviceMap & (0x10 << number)) ? smart::kIdentifyPacketDevice : smart::kIdentifyDevice;
  SmartInput input = {};
  SmartOutput output = {};
  uint32_t returned = 0;
  if (!IdentifyDrive(drive, input, output, command, number, &returned)) return false;
  return (output[kFixedByte] & kFixedMask) && (output[kSecurityByte] & kSecurityEnabledMask);
}

}  // namespace

uint32_t FindPasswordProtectedDrives() {
  os::Devices& devices = *os::Os().devices;
  uint32_t mask = 0;
  for (uint8_t number = 0; number < kExaminedDrives; ++number) {
    const os::DeviceRef drive = devices.Open("\\\\.\\PhysicalDrive" + std::to_string(number),
                                             os::device::kGenericRead | os::device::kGenericWrite,
                                             os::device::kShareRead | os::device::kShareWrite,
                                             os::device::kOpenExisting, 0);
    if (drive == os::kInvalidDevice) continue;
    if (IsProtectedFixedDisk(drive, number)) mask |= 1u << number;
    devices.Close(drive);
  }
  return mask;
}

}  // namespace hw
