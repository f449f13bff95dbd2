#include "hw/chipset.h"

#include "hw/device_requests.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"

namespace hw {
namespace {
constexpr uint32_t kPciAddressPort = 0xCF8, kPciDataPort = 0xCFC;
constexpr uint32_t kSmiEnableOffset = 0x30;
}  // namespace

uint32_t ReadPciConfig32(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg) {
  WritePort32(kPciAddressPort, 0x80000000u | uint32_t{bus} << 16 | uint32_t{device} << 11 |
                                   uint32_t{function} << 8 | reg);
  return ReadPort32(kPciDataPort);
}

// A dropped index write would put the value into another CMOS byte.
bool WriteCmos(uint8_t index, uint8_t value) {
  return WritePort8(0x70, index) && WritePort8(0x71, value);
}

bool WriteCmosHigh(uint8_t index, uint8_t value) {
  return WritePort8(0x72, index) && WritePort8(0x73, value);
}

bool GetPmIoBase(uint32_t* base) {
  const uint32_t value = ReadPciConfig32(0, 31, 0, 0x40);
  if (value == 0xFFFFFFFFu) return false;
  *base = value & ~1u;  // bit 0 only marks I/O space
  return true;
}

core::ResultCode EnableGlobalSmi() {
  if (!OpenDriverWithRetry()) return core::ResultDriverLoad;
  HardwareState& hw = Hw();
  hw.portFailed = false;
  uint32_t base = 0;
  // An unprogrammed base (0) or one whose register would lie beyond the
  // 16-bit port space names no SMI register: writing there would hit some
  // other device.
  const bool found =
      GetPmIoBase(&base) && !hw.portFailed && base != 0 && base + kSmiEnableOffset + 1 <= 0xFFFF;
  if (found) {
    const uint16_t value = ReadPort16(base + kSmiEnableOffset);
    // A value that was not really read must not be written back.
    if (!hw.portFailed && !(value & 1))
      WritePort16(base + kSmiEnableOffset, static_cast<uint16_t>(value | 1));
  }
  const bool failed = !found || hw.portFailed;
  CloseDriver();
  return failed ? core::ResultSmiEnable : core::ResultSuccess;
}

}  // namespace hw
