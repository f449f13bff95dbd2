// The chipset pieces the updater touches: PCI configuration mechanism #1
// (0xCF8 address, 0xCFC data) with the LPC bridge at bus 0, device 31,
// whose register 0x40 holds the power-management I/O base; the SMI enable
// register at that base + 0x30; and both CMOS banks (0x70/0x71, 0x72/0x73).
#pragma once

#include <stdint.h>

namespace machine {

class Chipset {
 public:
  static constexpr uint16_t kPciAddress = 0xCF8, kPciData = 0xCFC;
  static constexpr uint16_t kSmiEnableOffset = 0x30;

  void Reset();
  bool Claims(uint16_t port) const;
  uint32_t Read(uint16_t port, uint32_t width);
  void Write(uint16_t port, uint32_t width, uint32_t value);

  // Set-up.
  bool lpcPresent = true;
  uint16_t pmBase = 0x400;

  // State a test reads.
  uint32_t pciAddress = 0;
  uint32_t smiEnable = 0;
  uint32_t smiEnableWrites = 0;
  uint8_t cmos[2][128] = {};

 private:
  uint32_t ConfigRead() const;
  bool InSmiEnable(uint16_t port) const {
    return lpcPresent && port >= pmBase + kSmiEnableOffset && port < pmBase + kSmiEnableOffset + 4;
  }
  uint8_t cmosIndex_[2] = {};
};

}  // namespace machine
