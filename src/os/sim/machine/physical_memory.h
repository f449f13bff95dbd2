// The physical memory the updater reads: the 64 KiB firmware segment at
// 0xF0000, the top megabyte below 4 GiB, and a few windows of up to 64 KiB
// that a profile places anywhere else below 4 GiB (an SMBIOS table lies
// wherever the firmware put it). Everything else reads as all ones and
// ignores writes, as unbacked addresses do on the bus.
#pragma once

#include <stdint.h>

namespace machine {

class PhysicalMemory {
 public:
  static constexpr uint64_t kFirmwareBase = 0xF0000;
  static constexpr uint32_t kFirmwareSize = 0x10000;
  static constexpr uint64_t kTopBase = 0xFFF00000;
  static constexpr uint32_t kTopSize = 0x100000;
  static constexpr uint64_t kAddressLimit = uint64_t{1} << 32;
  static constexpr uint32_t kWindowCount = 4;
  static constexpr uint32_t kWindowSize = 0x10000;

  struct Window {
    uint64_t base;
    uint32_t size;  // 0: not placed
    uint8_t bytes[kWindowSize];
  };

  void Reset();
  void Read(uint64_t address, uint8_t* to, uint32_t length) const;
  void Write(uint64_t address, const uint8_t* from, uint32_t length);
  // The byte backing `address`, or null when nothing backs it.
  uint8_t* At(uint64_t address);
  const uint8_t* At(uint64_t address) const;
  // Backs `size` bytes (1 to kWindowSize) at `base` with a free window,
  // zero-filled. False when none is free, or the range reaches 4 GiB or
  // meets memory that is backed already.
  bool PlaceWindow(uint64_t base, uint32_t size);

  uint8_t firmware[kFirmwareSize];
  uint8_t top[kTopSize];
  Window windows[kWindowCount];

 private:
  // The byte backing `address` and how many bytes its range has from there
  // on; null (and 1) when nothing backs it.
  uint8_t* Locate(uint64_t address, uint64_t* remaining);
};

}  // namespace machine
