#include "hw/ec_mailbox.h"

#include "hw/device_requests.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw/keyboard_controller.h"
#include "hw/wait_limit.h"

namespace hw {
namespace {

constexpr uint8_t kEnterConfiguration = 0x55, kLeaveConfiguration = 0xAA;
constexpr uint8_t kCommandRegister = 0x82, kFirstDataRegister = 0x84, kDataRegisters = 14;

bool WaitMailboxIdle() {
  WaitLimit limit(kMailboxWait);
  while (ReadMailboxRegister(kCommandRegister) != 0) {
    if (!limit.Continue()) return false;
  }
  return true;
}

}  // namespace

uint8_t ReadChipId(uint32_t configPort) {
  if (!OpenDriverWithRetry()) return 0xFF;
  WritePort8(configPort, kEnterConfiguration);
  WritePort8(configPort, 0x20);
  const uint8_t id = ReadPort8(configPort + 1);
  WritePort8(configPort, kLeaveConfiguration);
  CloseDriver();
  return id;
}

uint8_t LocateEcMailbox(uint32_t configPort) {
  HardwareState& hw = Hw();
  hw.EcMailboxBase = 0;
  hw.portFailed = false;
  WritePort8(configPort, kEnterConfiguration);
  WritePort8(configPort, 0x07);
  WritePort8(configPort + 1, 0x09);  // logical device 9
  WritePort8(configPort, 0x30);
  uint8_t active = ReadPort8(configPort + 1);
  if (active != 0 && !hw.portFailed) {
    WritePort8(configPort, 0x60);
    const uint8_t high = ReadPort8(configPort + 1);
    WritePort8(configPort, 0x61);
    const uint8_t low = ReadPort8(configPort + 1);
    const uint16_t base = static_cast<uint16_t>(high << 8 | low);
    // A base read through a failing driver, or one whose data port would
    // leave the port space, names no mailbox.
    if (!hw.portFailed && base != 0 && base != 0xFFFF) hw.EcMailboxBase = base;
  }
  if (hw.portFailed) active = 0;
  WritePort8(configPort, kLeaveConfiguration);
  return active;
}

void WriteMailboxRegister(uint8_t index, uint8_t value) {
  WritePort8(Hw().EcMailboxBase, index);
  WritePort8(Hw().EcMailboxBase + 1u, value);
}

uint8_t ReadMailboxRegister(uint8_t index) {
  WritePort8(Hw().EcMailboxBase, index);
  return ReadPort8(Hw().EcMailboxBase + 1u);
}

int EcMailboxCommand(uint8_t buffer[16]) {
  if (!WaitMailboxIdle()) return -1;
  for (uint8_t i = 0; i < kDataRegisters; ++i)
    WriteMailboxRegister(kFirstDataRegister + i, buffer[2 + i]);
  WriteMailboxRegister(kCommandRegister, buffer[0]);  // writing it starts the controller
  if (!WaitMailboxIdle()) return -1;
  for (uint8_t i = 0; i < kDataRegisters; ++i)
    buffer[2 + i] = ReadMailboxRegister(kFirstDataRegister + i);
  return 0;
}

bool SendEcAutoOnCommand() {
  if (Hw().EcMailboxBase != 0) {
    uint8_t buffer[16] = {kAutoOnCommand};
    return EcMailboxCommand(buffer) == 0;
  }
  const KbcHoldState state = KbcHold();
  bool sent = false;
  if (HoldSucceeded(state)) {
    KbcWriteCommand(0xBE);
    sent = KbcWaitInputEmpty();
    if (sent) {
      KbcWriteData(kAutoOnCommand);
      sent = KbcWaitInputEmpty();
    }
  }
  const bool released = KbcRelease(state);
  return sent && released;
}

}  // namespace hw
