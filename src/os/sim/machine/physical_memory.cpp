#include "os/sim/machine/physical_memory.h"

#include "os/sim/machine/bytes.h"

namespace machine {

void PhysicalMemory::Reset() {
  FillBytes(firmware, 0, kFirmwareSize);
  FillBytes(top, 0xFF, kTopSize);  // an erased flash part
  for (Window& w : windows) {
    w.base = 0;
    w.size = 0;
    FillBytes(w.bytes, 0, kWindowSize);
  }
}

uint8_t* PhysicalMemory::At(uint64_t address) {
  if (address >= kFirmwareBase && address < kFirmwareBase + kFirmwareSize)
    return &firmware[address - kFirmwareBase];
  if (address >= kTopBase && address < kTopBase + kTopSize) return &top[address - kTopBase];
  for (Window& w : windows) {
    if (address >= w.base && address - w.base < w.size) return &w.bytes[address - w.base];
  }
  return nullptr;
}

const uint8_t* PhysicalMemory::At(uint64_t address) const {
  return const_cast<PhysicalMemory*>(this)->At(address);
}

bool PhysicalMemory::PlaceWindow(uint64_t base, uint32_t size) {
  if (size == 0 || size > kWindowSize || base >= kAddressLimit || size > kAddressLimit - base)
    return false;
  const uint64_t end = base + size;
  if ((base < kFirmwareBase + kFirmwareSize && kFirmwareBase < end) ||
      (base < kTopBase + kTopSize && kTopBase < end))
    return false;
  Window* free = nullptr;
  for (Window& w : windows) {
    if (w.size == 0) {
      if (!free) free = &w;
    } else if (base < w.base + w.size && w.base < end) {
      return false;
    }
  }
  if (!free) return false;
  free->base = base;
  free->size = size;
  FillBytes(free->bytes, 0, kWindowSize);
  return true;
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
