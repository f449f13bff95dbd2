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

// Waits, then writes one data byte.
bool SendData(uint8_t value) {
  if (!KbcWaitInputEmpty()) return false;
  KbcWriteData(value);
  return true;
}

bool WaitOutputFull() {
  WaitLimit limit(kKbcOutputWait);
  while (!(KbcReadStatus() & kKbcOutputFull)) {
    if (!limit.Continue()) return false;
  }
  return true;
}

}  // namespace

void KbcWriteCommand(uint8_t value) {
  WritePort8(kKbcCommandPort, value);
}
void KbcWriteData(uint8_t value) {
  WritePort8(kKbcDataPort, value);
}
uint8_t KbcReadStatus() {
  return ReadPort8(kKbcCommandPort);
}

bool KbcWaitInputEmpty(uint8_t* status) {
  WaitLimit limit(kKbcInputWait);
  uint8_t last = KbcReadStatus();
  while (last & kKbcInputFull) {
    if (!limit.Continue()) return false;
    last = KbcReadStatus();
  }
  if (status) *status = last;
  return true;
}

int KbcReadData() {
  if (!WaitOutputFull()) return -1;
  return ReadPort8(kKbcDataPort);
}

KbcHoldState KbcHold() {
  if (!KbcWaitInputEmpty()) return MakeState(kKbcNotHeld, 0);
  KbcWriteCommand(kHold);
  uint8_t status = 0;
  if (!KbcWaitInputEmpty(&status)) return MakeState(kKbcHoldUnconfirmed, 0);
  if (!(status & kKbcOutputFull)) return MakeState(kKbcNothingPending, 0);
  const uint8_t data = ReadPort8(kKbcDataPort);
  return MakeState((status & kKbcAuxData) ? kKbcAuxPending : kKbcKeyboardPending, data);
}

bool KbcRelease(KbcHoldState state) {
  switch (HoldKind(state)) {
    case kKbcNothingPending:
    case kKbcHoldUnconfirmed:
      if (!KbcWaitInputEmpty()) return false;
      KbcWriteCommand(kRelease);
      return true;
    case kKbcAuxPending:
    case kKbcKeyboardPending:
      // The byte taken while holding goes back to whichever side sent it.
      if (!KbcWaitInputEmpty()) return false;
      KbcWriteCommand(HoldKind(state) == kKbcAuxPending ? kGiveBackAux : kGiveBackKeyboard);
      return SendData(HoldData(state));
    default:
      return true;
  }
}

bool WriteEcByte(uint16_t address, uint8_t value) {
  const KbcHoldState state = KbcHold();
  bool sent = false;
  if (HoldSucceeded(state)) {
    KbcWriteCommand(kEcPrefix);
    sent = SendData(kEcWrite) && SendData(static_cast<uint8_t>(address >> 8)) &&
           SendData(static_cast<uint8_t>(address)) && SendData(value) && KbcWaitInputEmpty();
  }
  const bool released = KbcRelease(state);
  return sent && released;
}

int ReadEcByte(uint16_t address) {
  const KbcHoldState state = KbcHold();
  int value = -1;
  if (HoldSucceeded(state)) {
    KbcWriteCommand(kEcPrefix);
    if (SendData(kEcRead) && SendData(static_cast<uint8_t>(address >> 8)) &&
        SendData(static_cast<uint8_t>(address)) && WaitOutputFull()) {
      value = KbcReadData();
    }
  }
  const bool released = KbcRelease(state);
  return released ? value : -1;
}

}  // namespace hw
