// The end of a successful run: the embedded controller is armed to switch
// the machine on again, then the machine is switched off.
#pragma once

#include <cstdint>

#include "core/results.h"

namespace hw {

inline constexpr uint16_t kAutoOnRegister = 0xE887;  // EC RAM; bit 0 arms the power-on
inline constexpr uint32_t kRealTimePriorityClass = 0x100;
inline constexpr uint32_t kExitWindowsPowerOff = 0x8;  // EWX_POWEROFF, not forced

// Returned by the arming operations when the controller did not take the
// bytes (a byte that would not go through, a wait that reached its bound).
// Outside the result table: the completion treats any non-zero alike.
inline constexpr core::ResultCode kAutoOnNotTaken = 0xFFFFFFFF;

// Sets bit 0 of EC RAM 0xE887 through the keyboard controller (written even
// when already set). Nothing is written when the byte cannot be read.
// 0, core::ResultDriverLoad or kAutoOnNotTaken.
core::ResultCode SetAutoOnByEcRegister();
// Sends controller command 0xDC: through the EC mailbox when one was
// located, else through the keyboard controller. 0, core::ResultDriverLoad
// or kAutoOnNotTaken.
core::ResultCode SetAutoOnByEcCommand();

// Asks the system to end the session with `flags` (ExitWindowsEx), after
// enabling the shutdown privilege on the NT family. A refusal is logged.
void ShutdownSystem(uint32_t flags);

}  // namespace hw
