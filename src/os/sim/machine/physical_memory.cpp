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

uint8_t* PhysicalMemory::Locate(uint64_t address, uint64_t* remaining) {
  if (address >= kFirmwareBase && address < kFirmwareBase + kFirmwareSize) {
    *remaining = kFirmwareBase + kFirmwareSize - address;
    return &firmware[address - kFirmwareBase];
  }
  if (address >= kTopBase && address < kTopBase + kTopSize) {
    *remaining = kTopBase + kTopSize - address;
    return &top[address - kTopBase];
  }
  for (Window& w : windows) {
    if (address >= w.base && address - w.base < w.size) {
      *remaining = w.base + w.size - address;
      return &w.bytes[address - w.base];
    }
  }
  *remaining = 1;
  return nullptr;
}

uint8_t* PhysicalMemory::At(uint64_t address) {
  uint64_t remaining = 0;
  return Locate(address, &remaining);
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

// Whole runs of backed memory at a time: the drivers read 64 KiB at once.
void PhysicalMemory::Read(uint64_t address, uint8_t* to, uint32_t length) const {
  for (uint32_t done = 0; done < length;) {
    uint64_t run = 0;
    const uint8_t* from = const_cast<PhysicalMemory*>(this)->Locate(address + done, &run);
    const uint32_t n = static_cast<uint32_t>(run < length - done ? run : length - done);
    if (from)
      CopyBytes(to + done, from, n);
    else
      FillBytes(to + done, 0xFF, n);
    done += n;
  }
}

void PhysicalMemory::Write(uint64_t address, const uint8_t* from, uint32_t length) {
  for (uint32_t done = 0; done < length;) {
    uint64_t run = 0;
    uint8_t* at = Locate(address + done, &run);
    const uint32_t n = static_cast<uint32_t>(run < length - done ? run : length - done);
    if (at) CopyBytes(at, from + done, n);
    done += n;
  }
}

}  // namespace machine
