#include "hw/ec_mailbox.h"

#include <cstring>

#include "hw/device_requests.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw/keyboard_controller.h"
#include "hw/wait_limit.h"

namespace hw {
namespace {

constexpr uint8_t kEnterConfiguration = 0x55, kLeaveConfiguration = 0xAA;
constexpr uint8_t kChipIdRegister = 0x20, kDeviceSelect = 0x07, kMailboxDevice = 0x09;
constexpr uint8_t kActivation = 0x30, kBaseHigh = 0x60, kBaseLow = 0x61;
constexpr uint8_t kCommandRegister = 0x82, kFirstDataRegister = 0x84, kDataRegisters = 14;

// Selects a configuration register and reads it; a dropped select would
// read some other register.
bool ReadConfig(uint32_t configPort, uint8_t index, uint8_t* value) {
  return WritePort8(configPort, index) && ReadPort8(configPort + 1, value);
}

// Configuration mode is left in every case, with the longer re-send bound.
void LeaveConfiguration(uint32_t configPort) {
  RestoringRequests restoring;
  WritePort8(configPort, kLeaveConfiguration);
}

// A mailbox register read; a dropped index write would read some other register.
bool ReadRegister(uint8_t index, uint8_t* value) {
  return WritePort8(Hw().EcMailboxBase, index) && ReadPort8(Hw().EcMailboxBase + 1u, value);
}

bool WaitMailboxIdle() {
  WaitLimit limit(kMailboxWait);
  for (;;) {
    uint8_t command = 0;
    if (!ReadRegister(kCommandRegister, &command)) return false;
    if (command == 0) return true;
    if (!limit.Continue()) return false;
  }
}

}  // namespace

uint8_t ReadChipId(uint32_t configPort) {
  if (!OpenDriverWithRetry()) return 0xFF;
  uint8_t id = 0xFF;  // also what a read that was not carried gives
  if (WritePort8(configPort, kEnterConfiguration)) ReadConfig(configPort, kChipIdRegister, &id);
  LeaveConfiguration(configPort);
  CloseDriver();
  return id;
}

uint8_t LocateEcMailbox(uint32_t configPort) {
  HardwareState& hw = Hw();
  hw.EcMailboxBase = 0;
  uint8_t active = 0, high = 0, low = 0;
  // Each byte depends on the one before: the walk stops at the first the
  // driver drops, which would select or write some other register.
  bool read = WritePort8(configPort, kEnterConfiguration) &&
              WritePort8(configPort, kDeviceSelect) && WritePort8(configPort + 1, kMailboxDevice) &&
              ReadConfig(configPort, kActivation, &active);
  if (read && active != 0)
    read = ReadConfig(configPort, kBaseHigh, &high) && ReadConfig(configPort, kBaseLow, &low);
  const uint16_t base = static_cast<uint16_t>(high << 8 | low);
  // A base whose data port would leave the port space names no mailbox.
  if (read && active != 0 && base != 0 && base != 0xFFFF) hw.EcMailboxBase = base;
  LeaveConfiguration(configPort);
  return read ? active : 0;
}

bool WriteMailboxRegister(uint8_t index, uint8_t value) {
  // A dropped index write would put the value into another register.
  return WritePort8(Hw().EcMailboxBase, index) && WritePort8(Hw().EcMailboxBase + 1u, value);
}

uint8_t ReadMailboxRegister(uint8_t index) {
  uint8_t value = 0xFF;  // also what a read that was not carried gives
  ReadRegister(index, &value);
  return value;
}

int EcMailboxCommand(uint8_t buffer[16]) {
  if (!WaitMailboxIdle()) return -1;
  // The command register is written last and only when every data register
  // took its byte: the controller must never start on partial data.
  for (uint8_t i = 0; i < kDataRegisters; ++i)
    if (!WriteMailboxRegister(kFirstDataRegister + i, buffer[2 + i])) return -1;
  if (!WriteMailboxRegister(kCommandRegister, buffer[0]) || !WaitMailboxIdle()) return -1;
  uint8_t reply[kDataRegisters];
  for (uint8_t i = 0; i < kDataRegisters; ++i)
    if (!ReadRegister(kFirstDataRegister + i, &reply[i])) return -1;
  std::memcpy(buffer + 2, reply, sizeof reply);
  return 0;
}

bool SendEcAutoOnCommand() {
  if (Hw().EcMailboxBase != 0) {
    uint8_t buffer[16] = {kAutoOnCommand};
    return EcMailboxCommand(buffer) == 0;
  }
  return SendEcCommand(kAutoOnCommand);
}

}  // namespace hw
