#include "os/sim/machine/physical_memory.h"

#include "os/sim/machine/bytes.h"

namespace machine {

void PhysicalMemory::Reset() {
  FillBytes(firmware, 0, kFirmwareSize);
  FillBytes(top, 0xFF, kTopSize);  // an erased flash part
}

uint8_t* PhysicalMemory::At(uint64_t address) {
  if (address >= kFirmwareBase && address < kFirmwareBase + kFirmwareSize)
    return &firmware[address - kFirmwareBase];
  if (address >= kTopBase && address < kTopBase + kTopSize) return &top[address - kTopBase];
  return nullptr;
}

const uint8_t* PhysicalMemory::At(uint64_t address) const {
  return const_cast<PhysicalMemory*>(this)->At(address);
}

void PhysicalMemory::Read(uint64_t address, uint8_t* to, uint32_t length) const {
  for (uint32_t i = 0; i < length; ++i) {
    const uint8_t* byte = At(address + i);
    to[i] = byte ? *byte : 0xFF;
  }
}

void PhysicalMemory::Write(uint64_t address, const uint8_t* from, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i) {
    if (uint8_t* byte = At(address + i)) *byte = from[i];
  }
}

}  // namespace machine
