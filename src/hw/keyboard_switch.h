// The keyboard controller's keyboard and auxiliary-device (mouse)
// interfaces switched off and on with controller commands. Each operation
// opens the memory-access driver itself and closes it again.
#pragma once

#include <cstdint>

namespace hw {

// 8042 command bytes: interrupts off, both clocks disabled, system flag and
// translation on; and interrupts on, both clocks enabled, the same flags.
inline constexpr uint8_t kCommandByteInputOff = 0x74;
inline constexpr uint8_t kCommandByteInputOn = 0x47;

// Disables both interfaces and writes kCommandByteInputOff. Stops at the
// first byte the controller does not take: bytes pushed into a controller
// that takes nothing would be lost or misread. False when the driver could
// not be opened or a byte was not taken; the log then lacks "Key OFF End".
bool KeyboardControllerOff();

// Writes kCommandByteInputOn and enables both interfaces. Every byte is
// sent whatever became of the one before, so that a single lost byte never
// leaves the keyboard off; false (and "Key ON Fail" in the log) when any
// was not taken or the driver could not be opened.
bool KeyboardControllerOn();

}  // namespace hw
