// The keyboard controller (ports 0x64 and 0x60) and the embedded-controller
// RAM reads and writes it relays. Every relayed sequence is bracketed by
// KbcHold and KbcRelease, and every wait is bounded (wait_limit.h).
#pragma once

#include <cstdint>

namespace hw {

inline constexpr uint32_t kKbcDataPort = 0x60, kKbcCommandPort = 0x64;
inline constexpr uint8_t kKbcOutputFull = 0x01, kKbcInputFull = 0x02, kKbcAuxData = 0x20;

// Low byte: kind; high byte: the pending byte taken from the controller.
using KbcHoldState = uint16_t;
enum KbcHoldKind : uint8_t {
  kKbcNothingPending = 0,
  kKbcAuxPending = 1,
  kKbcKeyboardPending = 2,
  // The hold command was sent but the controller never took it, or its
  // pending byte could not be read: released as if nothing were pending, so
  // it is not left held should it wake up.
  kKbcHoldUnconfirmed = 3,
  // The hold command never reached the controller: nothing to release.
  kKbcNotHeld = 0xFF,
};
inline uint8_t HoldKind(KbcHoldState s) {
  return static_cast<uint8_t>(s);
}
inline uint8_t HoldData(KbcHoldState s) {
  return static_cast<uint8_t>(s >> 8);
}
inline bool HoldSucceeded(KbcHoldState s) {
  return HoldKind(s) <= kKbcKeyboardPending;
}

// False when the driver dropped the byte (a request refused past its bound).
bool KbcWriteCommand(uint8_t value);
bool KbcWriteData(uint8_t value);
uint8_t KbcReadStatus();
// Waits for the input buffer to empty; `*status` (when given) gets the
// last status read. False when the wait reached its bound or a status read
// was not carried.
bool KbcWaitInputEmpty(uint8_t* status = nullptr);
// Waits for a byte (status bit 0), then reads it: the byte, or -1 when the
// wait reached its bound or a read was not carried.
int KbcReadData();

// The sequences below stop sending their own bytes at the first byte that
// the controller did not take or the driver dropped, still release the
// controller, and report failure.
KbcHoldState KbcHold();
// Sends every byte of the release whatever became of the bytes before, with
// the longer re-send bound of RestoringRequests. False when any was lost.
bool KbcRelease(KbcHoldState state);

// The byte at an EC RAM address, or -1 when the controller did not answer.
int ReadEcByte(uint16_t address);
// False when the controller did not take the whole sequence.
bool WriteEcByte(uint16_t address, uint8_t value);
// A controller command relayed with the 0xBE prefix (the auto-on command
// 0xDC). False when the controller did not take the whole sequence.
bool SendEcCommand(uint8_t command);

}  // namespace hw
