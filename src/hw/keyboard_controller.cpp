#include "hw/keyboard_controller.h"

#include "hw/device_requests.h"
#include "hw/wait_limit.h"

namespace hw {
namespace {

constexpr uint8_t kHold = 0xB1, kRelease = 0xB2, kGiveBackKeyboard = 0xB3, kGiveBackAux = 0xB4;
constexpr uint8_t kEcPrefix = 0xBE, kEcRead = 0x80, kEcWrite = 0x81;

KbcHoldState MakeState(uint8_t kind, uint8_t data) {
  return static_cast<KbcHoldState>(kind | data << 8);
}

// One byte of a sequence, once the controller has taken the previous one.
// False when the wait ends or the driver drops the byte: the sequence then
// sends nothing more of its own.
bool SendCommand(uint8_t value) {
  return KbcWaitInputEmpty() && KbcWriteCommand(value);
}
bool SendData(uint8_t value) {
  return KbcWaitInputEmpty() && KbcWriteData(value);
}

// Polls the status until `bit` is as wanted; false at the bound or when the
// driver does not carry a read. `*status` gets the last status read.
bool WaitStatus(uint8_t bit, bool set, const WaitBound& bound, uint8_t* status) {
  WaitLimit limit(bound);
  for (;;) {
    if (!ReadPort8(kKbcCommandPort, status)) return false;
    if (((*status & bit) != 0) == set) return true;
    if (!limit.Continue()) return false;
  }
}

}  // namespace

bool KbcWriteCommand(uint8_t value) {
  return WritePort8(kKbcCommandPort, value);
}
bool KbcWriteData(uint8_t value) {
  return WritePort8(kKbcDataPort, value);
}
uint8_t KbcReadStatus() {
  return ReadPort8(kKbcCommandPort);
}

bool KbcWaitInputEmpty(uint8_t* status) {
  uint8_t last = 0;
  if (!WaitStatus(kKbcInputFull, false, kKbcInputWait, &last)) return false;
  if (status) *status = last;
  return true;
}

int KbcReadData() {
  uint8_t status = 0, value = 0;
  if (!WaitStatus(kKbcOutputFull, true, kKbcOutputWait, &status) ||
      !ReadPort8(kKbcDataPort, &value))
    return -1;
  return value;
}

KbcHoldState KbcHold() {
  // A hold command that never reached the controller leaves nothing to release.
  if (!SendCommand(kHold)) return MakeState(kKbcNotHeld, 0);
  uint8_t status = 0;
  if (!KbcWaitInputEmpty(&status)) return MakeState(kKbcHoldUnconfirmed, 0);
  if (!(status & kKbcOutputFull)) return MakeState(kKbcNothingPending, 0);
  uint8_t data = 0;
  // A pending byte the driver would not read is still in the controller:
  // nothing can be relayed past it.
  if (!ReadPort8(kKbcDataPort, &data)) return MakeState(kKbcHoldUnconfirmed, 0);
  return MakeState((status & kKbcAuxData) ? kKbcAuxPending : kKbcKeyboardPending, data);
}

bool KbcRelease(KbcHoldState state) {
  RestoringRequests restoring;
  switch (HoldKind(state)) {
    case kKbcNothingPending:
    case kKbcHoldUnconfirmed:
      return SendCommand(kRelease);
    case kKbcAuxPending:
    case kKbcKeyboardPending: {
      // The byte taken while holding goes back to whichever side sent it.
      // Both bytes are sent whatever became of the first: the controller
      // must not stay held.
      const bool commanded =
          SendCommand(HoldKind(state) == kKbcAuxPending ? kGiveBackAux : kGiveBackKeyboard);
      const bool returned = SendData(HoldData(state));
      return commanded && returned;
    }
    default:
      return true;
  }
}

bool WriteEcByte(uint16_t address, uint8_t value) {
  const KbcHoldState state = KbcHold();
  // The hold ends with the input buffer empty, so the prefix needs no wait.
  const bool sent = HoldSucceeded(state) && KbcWriteCommand(kEcPrefix) && SendData(kEcWrite) &&
                    SendData(static_cast<uint8_t>(address >> 8)) &&
                    SendData(static_cast<uint8_t>(address)) && SendData(value) &&
                    KbcWaitInputEmpty();
  const bool released = KbcRelease(state);
  return sent && released;
}

int ReadEcByte(uint16_t address) {
  const KbcHoldState state = KbcHold();
  int value = -1;
  if (HoldSucceeded(state) && KbcWriteCommand(kEcPrefix) && SendData(kEcRead) &&
      SendData(static_cast<uint8_t>(address >> 8)) && SendData(static_cast<uint8_t>(address)))
    value = KbcReadData();
  const bool released = KbcRelease(state);
  return released ? value : -1;
}

bool SendEcCommand(uint8_t command) {
  const KbcHoldState state = KbcHold();
  const bool sent = HoldSucceeded(state) && KbcWriteCommand(kEcPrefix) && SendData(command) &&
                    KbcWaitInputEmpty();
  const bool released = KbcRelease(state);
  return sent && released;
}

}  // namespace hw
