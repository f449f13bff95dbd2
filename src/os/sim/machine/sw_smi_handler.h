// The firmware's software-SMI handler: the value written to the SMI port
// opens, triggers or closes a call; a trigger reads the "CX" mailbox record
// from physical memory, answers command 4 with the model number and sets
// the status byte to 0xAA.
#pragma once

#include <stdint.h>

#include "os/sim/machine/bytes.h"
#include "os/sim/machine/physical_memory.h"

namespace machine {

class SwSmiHandler {
 public:
  static constexpr uint32_t kRecordSize = 21;
  static constexpr uint8_t kReplyReady = 0xAA;

  void Reset();
  bool Claims(uint16_t port) const { return present && port == port_; }
  void Configure(uint16_t port, uint8_t trigger, uint8_t open, uint8_t close, uint32_t mailbox);
  void Write(uint8_t value, uint64_t now, PhysicalMemory& memory);
  // Runs a call whose answer was due; called before every memory access.
  void Settle(uint64_t now, PhysicalMemory& memory);

  bool present = false;
  Behaviour behaviour;
  char model[17] = {};  // up to 16 characters

  uint32_t calls = 0, answered = 0, violations = 0;
  uint16_t lastCommand = 0;
  bool open = false;

 private:
  void Answer(PhysicalMemory& memory);
  uint16_t port_ = 0xB2;
  uint8_t trigger_ = 0, open_ = 0, close_ = 0;
  uint32_t mailbox_ = 0;
  bool pending_ = false;
  uint64_t dueAt_ = 0;
};

}  // namespace machine
