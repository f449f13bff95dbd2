#include "os/sim/machine/super_io.h"

namespace machine {
namespace {
constexpr uint8_t kAutoOnCommand = 0xDC;
}

void SuperIo::Reset() {
  present = false;
  configPort = 0x2E;
  chipId = 0x4D;
  mailboxActive = 1;
  mailboxBase = 0;
  mailboxBehaviour = Behaviour{};
  hasReply = false;
  FillBytes(reply, 0, sizeof reply);
  inConfiguration = autoOnArmed = false;
  commands = violations = 0;
  lastCommand = 0;
  FillBytes(lastData, 0, sizeof lastData);
  FillBytes(registers, 0, sizeof registers);
  configIndex_ = logicalDevice_ = mailboxIndex_ = 0;
  busy_ = false;
}

bool SuperIo::Claims(uint16_t port) const {
  if (!present) return false;
  if (port == configPort || port == configPort + 1) return true;
  return MailboxOpen() && (port == mailboxBase || port == mailboxBase + 1);
}

uint8_t SuperIo::ReadConfig(uint8_t index) const {
  if (index == 0x20) return chipId;
  if (index == 0x07) return logicalDevice_;
  if (logicalDevice_ != 9) return 0xFF;
  switch (index) {
    case 0x30:
      return mailboxActive;
    case 0x60:
      return static_cast<uint8_t>(mailboxBase >> 8);
    case 0x61:
      return static_cast<uint8_t>(mailboxBase);
    default:
      return 0xFF;
  }
}

void SuperIo::WriteConfig(uint8_t index, uint8_t value) {
  // Only the device select is writable here: the updater never moves or
  // switches the mailbox, and a model that let it would hide such a fault.
  if (index == 0x07)
    logicalDevice_ = value;
  else
    ++violations;
}

void SuperIo::Settle(uint64_t now) {
  if (!busy_ || now < doneAt_) return;
  busy_ = false;
  lastCommand = registers[kCommandRegister];
  for (uint8_t i = 0; i < kDataCount; ++i) lastData[i] = registers[kFirstData + i];
  if (lastCommand == kAutoOnCommand) autoOnArmed = true;
  if (hasReply) {
    for (uint8_t i = 0; i < kDataCount; ++i) registers[kFirstData + i] = reply[i];
  }
  ++commands;
  registers[kCommandRegister] = 0;
}

uint8_t SuperIo::Read(uint16_t port, uint64_t now) {
  if (port == configPort) return inConfiguration ? configIndex_ : 0xFF;
  if (port == configPort + 1) return inConfiguration ? ReadConfig(configIndex_) : 0xFF;
  Settle(now);
  if (port == mailboxBase) return mailboxIndex_;
  return registers[mailboxIndex_];
}

void SuperIo::Write(uint16_t port, uint8_t value, uint64_t now) {
  if (port == configPort) {
    if (value == 0x55)
      inConfiguration = true;
    else if (value == 0xAA)
      inConfiguration = false;
    else if (inConfiguration)
      configIndex_ = value;
    return;
  }
  if (port == configPort + 1) {
    if (inConfiguration) WriteConfig(configIndex_, value);
    return;
  }
  Settle(now);
  if (port == mailboxBase) {
    mailboxIndex_ = value;
    return;
  }
  if (busy_) {
    ++violations;  // the controller is still reading the last command
    return;
  }
  registers[mailboxIndex_] = value;
  if (mailboxIndex_ == kCommandRegister && value != 0) {
    busy_ = true;
    doneAt_ = mailboxBehaviour.DoneAt(now);
    Settle(now);
  }
}

}  // namespace machine
