// The embedded controller's configuration port (0x2E or 0x6C2) and the
// register mailbox of its logical device 9.
#pragma once

#include <cstdint>

namespace hw {

inline constexpr uint8_t kVendorM = 0x4D;  // 'M'
inline constexpr uint8_t kAutoOnCommand = 0xDC;

// The chip identification byte at register 0x20; 0xFF when the driver
// cannot be opened. Opens and closes the driver itself.
uint8_t ReadChipId(uint32_t configPort);
// Sets Hw().EcMailboxBase when logical device 9 is active and gives the
// activation register (0 = inactive, also when the chip did not answer or
// the driver dropped a byte). Configuration mode is left in every case.
uint8_t LocateEcMailbox(uint32_t configPort);

// False when the driver dropped either byte (the value was then not
// written, or written to another register).
bool WriteMailboxRegister(uint8_t index, uint8_t value);
// All ones when the driver did not carry the index write or the read.
uint8_t ReadMailboxRegister(uint8_t index);
// Sends buffer[0] as the command with buffer[2..15] as data and leaves the
// reply in buffer[2..15]. 0, or -1 when the controller stayed busy or the
// driver dropped a byte; the command is written only after all its data, and
// the buffer is unchanged on failure.
int EcMailboxCommand(uint8_t buffer[16]);

// Arms the controller to switch the machine on again: through the mailbox
// when one was found, else through the keyboard controller. False when the
// controller did not take the command.
bool SendEcAutoOnCommand();

}  // namespace hw
