// Port and physical-memory access through the open memory-access driver,
// in the request format of the driver that serves this Windows. The caller
// opens the driver first and closes it afterwards; on KMDFMEMIO every
// request opens and closes the device itself.
#pragma once

#include <cstdint>

namespace hw {

struct PhysicalRange {
  uint32_t addressLow;
  uint32_t addressHigh;
  uint32_t length;
  void* buffer;  // at least `length` bytes
};

// A read that cannot be carried out returns all ones and sets
// Hw().portFailed; a write that cannot is dropped and sets it too.
uint8_t ReadPort8(uint32_t port);
uint16_t ReadPort16(uint32_t port);
uint32_t ReadPort32(uint32_t port);
void WritePort8(uint32_t port, uint8_t value);
void WritePort16(uint32_t port, uint16_t value);
void WritePort32(uint32_t port, uint32_t value);

// Memory requests are sent once. A read that fails leaves the buffer as it
// was and gives false (so does an empty range); callers that must not pass
// stale bytes off as memory look at it.
bool ReadPhysical(PhysicalRange range);
void WritePhysical(PhysicalRange range);

namespace code {
inline constexpr uint32_t kTorqPort = 0x9C412008;
inline constexpr uint32_t kTorqMemory = 0x9C41200C;
inline constexpr uint32_t kKmdfReadPort8 = 0x9C412400;
inline constexpr uint32_t kKmdfWritePort8 = 0x9C412404;
inline constexpr uint32_t kKmdfReadPort16 = 0x9C412408;
inline constexpr uint32_t kKmdfWritePort16 = 0x9C41240C;
inline constexpr uint32_t kKmdfReadPort32 = 0x9C412410;
inline constexpr uint32_t kKmdfWritePort32 = 0x9C412414;
inline constexpr uint32_t kKmdfReadMemory = 0x9C412800;
inline constexpr uint32_t kKmdfWriteMemory = 0x9C412804;
inline constexpr uint32_t kAddMemReadPort8 = 0x222038;
inline constexpr uint32_t kAddMemWritePort8 = 0x222034;
inline constexpr uint32_t kAddMemReadPort16 = 0x222040;
inline constexpr uint32_t kAddMemWritePort16 = 0x22203C;
inline constexpr uint32_t kAddMemReadPort32 = 0x222048;
inline constexpr uint32_t kAddMemWritePort32 = 0x222044;
inline constexpr uint32_t kAddMemReadMemory = 0x22204C;
inline constexpr uint32_t kAddMemWriteMemory = 0x222050;
inline constexpr uint32_t kVxdReadPort = 0x9C412400;
inline constexpr uint32_t kVxdWritePort = 0x9C412404;
}  // namespace code

}  // namespace hw
