#include "os/sim/machine/sw_smi_handler.h"

namespace machine {
namespace {
constexpr uint16_t kModelCommand = 4;
}

void SwSmiHandler::Reset() {
  present = false;
  behaviour = Behaviour{};
  FillBytes(reinterpret_cast<uint8_t*>(model), 0, sizeof model);
  calls = answered = violations = 0;
  lastCommand = 0;
  open = pending_ = false;
}

void SwSmiHandler::Configure(uint16_t port, uint8_t trigger, uint8_t openValue, uint8_t close,
                             uint32_t mailbox) {
  present = true;
  port_ = port;
  trigger_ = trigger;
  open_ = openValue;
  close_ = close;
  mailbox_ = mailbox;
}

void SwSmiHandler::Write(uint8_t value, uint64_t now, PhysicalMemory& memory) {
  Settle(now, memory);
  if (value == open_) {
    open = true;
  } else if (value == trigger_) {
    if (!open) ++violations;
    ++calls;
    pending_ = true;
    dueAt_ = behaviour.DoneAt(now);
    Settle(now, memory);
  } else if (value == close_) {
    // A close before the answer abandons the call: the firmware drops it unanswered.
    if (pending_) {
      pending_ = false;
      ++violations;
    }
    open = false;
  }
}

void SwSmiHandler::Settle(uint64_t now, PhysicalMemory& memory) {
  if (!pending_ || now < dueAt_) return;
  pending_ = false;
  Answer(memory);
}

void SwSmiHandler::Answer(PhysicalMemory& memory) {
  uint8_t record[kRecordSize];
  memory.Read(mailbox_, record, kRecordSize);
  if (record[0] != 'C' || record[1] != 'X') {
    ++violations;
    return;
  }
  lastCommand = Load16(record + 2);
  if (lastCommand == kModelCommand) {
    FillBytes(record + 5, 0, 16);
    for (int i = 0; i < 16 && model[i]; ++i) record[5 + i] = static_cast<uint8_t>(model[i]);
  }
  record[4] = kReplyReady;
  memory.Write(mailbox_, record, kRecordSize);
  ++answered;
}

}  // namespace machine
