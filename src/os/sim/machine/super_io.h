// The embedded controller's configuration port pair (index at the port,
// data at port + 1; 0x55 enters configuration, 0xAA leaves it) with chip
// identification register 0x20 and logical device 9, whose I/O base holds
// the register mailbox: command register 0x82, data registers 0x84 to 0x91.
#pragma once

#include <stdint.h>

#include "os/sim/machine/bytes.h"

namespace machine {

class SuperIo {
 public:
  static constexpr uint8_t kCommandRegister = 0x82, kFirstData = 0x84, kDataCount = 14;

  void Reset();
  // True when the port belongs to this device (configuration or mailbox).
  bool Claims(uint16_t port) const;
  uint8_t Read(uint16_t port, uint64_t now);
  void Write(uint16_t port, uint8_t value, uint64_t now);

  // Set-up.
  bool present = false;
  uint16_t configPort = 0x2E;
  uint8_t chipId = 0x4D;
  uint8_t mailboxActive = 1;
  uint16_t mailboxBase = 0;
  Behaviour mailboxBehaviour;
  bool hasReply = false;
  uint8_t reply[kDataCount] = {};

  // State a test reads.
  bool inConfiguration = false;
  bool autoOnArmed = false;
  uint32_t commands = 0, violations = 0;
  uint8_t lastCommand = 0;
  uint8_t lastData[kDataCount] = {};
  uint8_t registers[256] = {};

 private:
  void Settle(uint64_t now);
  uint8_t ReadConfig(uint8_t index) const;
  void WriteConfig(uint8_t index, uint8_t value);
  bool MailboxOpen() const { return mailboxActive != 0 && mailboxBase != 0; }

  uint8_t configIndex_ = 0;
  uint8_t logicalDevice_ = 0;
  uint8_t mailboxIndex_ = 0;
  bool busy_ = false;
  uint64_t doneAt_ = 0;
};

}  // namespace machine
