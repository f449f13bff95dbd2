// The physical memory the updater reads: the 64 KiB firmware segment at
// 0xF0000 and the top megabyte below 4 GiB. Everything else reads as all
// ones and ignores writes, as unbacked addresses do on the bus.
#pragma once

#include <stdint.h>

namespace machine {

class PhysicalMemory {
 public:
  static constexpr uint64_t kFirmwareBase = 0xF0000;
  static constexpr uint32_t kFirmwareSize = 0x10000;
  static constexpr uint64_t kTopBase = 0xFFF00000;
  static constexpr uint32_t kTopSize = 0x100000;

  void Reset();
  void Read(uint64_t address, uint8_t* to, uint32_t length) const;
  void Write(uint64_t address, const uint8_t* from, uint32_t length);
  // The byte backing `address`, or null when nothing backs it.
  uint8_t* At(uint64_t address);
  const uint8_t* At(uint64_t address) const;

  uint8_t firmware[kFirmwareSize];
  uint8_t top[kTopSize];
};

}  // namespace machine
