// The simulated notebook's hardware as the memory-access drivers see it:
// I/O ports and physical memory, on a clock the host advances. Written
// without any library so the same files build into the test kernel drivers.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "os/sim/machine/chipset.h"
#include "os/sim/machine/disks.h"
#include "os/sim/machine/keyboard_controller.h"
#include "os/sim/machine/physical_memory.h"
#include "os/sim/machine/super_io.h"
#include "os/sim/machine/sw_smi_handler.h"

namespace machine {

enum class Driver : uint8_t { kTorq, kKmdfMemIo, kAddMem, kMemIoVxd };

// One driver request as decoded, kept in a small ring for tests and traces.
struct RequestRecord {
  enum Kind : uint8_t { kPortRead, kPortWrite, kMemoryRead, kMemoryWrite, kRefused };
  Driver driver;
  Kind kind;
  uint8_t width;  // port requests
  uint32_t code;
  uint64_t target;  // port or physical address
  uint32_t value;   // port value, or memory length
};

class Machine {
 public:
  void Reset();
  void SetTime(uint64_t micros) { now_ = micros; }
  uint64_t Now() const { return now_; }

  uint32_t ReadPort(uint16_t port, uint32_t width);
  void WritePort(uint16_t port, uint32_t width, uint32_t value);
  void ReadMemory(uint64_t address, uint8_t* to, uint32_t length);
  void WriteMemory(uint64_t address, const uint8_t* from, uint32_t length);

  // A driver told to refuse port requests (a profile setting) consults this
  // before honouring one: the first `refusePortRequests` are refused, all of
  // them when it is kRefuseAll.
  static constexpr uint32_t kRefuseAll = 0xFFFFFFFF;
  bool RefusePortRequest();
  // A memory read whose range covers `refuseMemoryReadAt` is refused (a
  // profile setting; only when `refuseMemoryRead` is set).
  bool RefuseMemoryRead(uint64_t address, uint32_t length) const;
  void Record(const RequestRecord& record);

  PhysicalMemory memory;
  KeyboardController kbc;
  SuperIo superIo;
  Chipset chipset;
  SwSmiHandler smi;
  Disks disks;

  uint32_t refusePortRequests = 0;
  bool refuseMemoryRead = false;
  uint64_t refuseMemoryReadAt = 0;
  // Requests honoured and refused since Reset, per driver.
  uint32_t requests[4] = {};
  uint32_t refused[4] = {};
  static constexpr uint32_t kLogSize = 512;
  RequestRecord log[kLogSize];
  uint32_t logged = 0;  // total ever recorded; the ring keeps the last kLogSize

 private:
  uint8_t ReadByte(uint16_t port);
  void WriteByte(uint16_t port, uint8_t value);
  uint64_t now_ = 0;
};

}  // namespace machine
