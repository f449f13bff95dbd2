#include "os/sim/machine/chipset.h"

#include "os/sim/machine/bytes.h"

namespace machine {
namespace {
constexpr uint32_t kLpcDevice = 31;
constexpr uint32_t kLpcIds = 0x1C498086;  // vendor and device words of an LPC bridge
}  // namespace

void Chipset::Reset() {
  lpcPresent = true;
  pmBase = 0x400;
  pciAddress = smiEnable = smiEnableWrites = 0;
  FillBytes(&cmos[0][0], 0, sizeof cmos);
  cmosIndex_[0] = cmosIndex_[1] = 0;
}

bool Chipset::Claims(uint16_t port) const {
  return (port >= 0x70 && port <= 0x73) || port == kPciAddress ||
         (port >= kPciData && port < kPciData + 4) || InSmiEnable(port);
}

uint32_t Chipset::ConfigRead() const {
  if (!(pciAddress & 0x80000000u)) return 0xFFFFFFFF;
  const uint32_t bus = (pciAddress >> 16) & 0xFF, device = (pciAddress >> 11) & 0x1F;
  const uint32_t function = (pciAddress >> 8) & 7, reg = pciAddress & 0xFC;
  if (!lpcPresent || bus != 0 || device != kLpcDevice || function != 0) return 0xFFFFFFFF;
  if (reg == 0x00) return kLpcIds;
  if (reg == 0x40) return static_cast<uint32_t>(pmBase) | 1;  // bit 0: I/O space
  return 0;
}

uint32_t Chipset::Read(uint16_t port, uint32_t width) {
  if (port == kPciAddress && width == 4) return pciAddress;
  if (port >= kPciData && port < kPciData + 4) {
    return (ConfigRead() >> (8 * (port - kPciData))) & AllOnes(width);
  }
  if (InSmiEnable(port))
    return (smiEnable >> (8 * (port - pmBase - kSmiEnableOffset))) & AllOnes(width);
  if (port == 0x71 || port == 0x73) {
    const int bank = port == 0x73;
    return cmos[bank][cmosIndex_[bank]];
  }
  return 0xFF;  // the index ports read back nothing useful
}

void Chipset::Write(uint16_t port, uint32_t width, uint32_t value) {
  if (port == kPciAddress) {
    if (width == 4) pciAddress = value;
    return;
  }
  if (InSmiEnable(port)) {
    const uint32_t shift = 8 * (port - pmBase - kSmiEnableOffset);
    const uint32_t mask = AllOnes(width) << shift;
    smiEnable = (smiEnable & ~mask) | ((value << shift) & mask);
    ++smiEnableWrites;
    return;
  }
  if (port == 0x70 || port == 0x72) {
    cmosIndex_[port == 0x72] = static_cast<uint8_t>(value & 0x7F);  // bit 7 of 0x70 masks NMI
  } else if (port == 0x71 || port == 0x73) {
    const int bank = port == 0x73;
    cmos[bank][cmosIndex_[bank]] = static_cast<uint8_t>(value);
  }
}

}  // namespace machine
