// The preconditions of an update: power source and free disk space.
#pragma once

#include "core/results.h"

namespace app {

inline constexpr unsigned kMinimumBatteryPercent = 30;
inline constexpr unsigned kRequiredFreeMiB = 2;

// 0, ResultNoAcAdapter, ResultBatteryLow or ResultNoPowerSource.
core::ResultCode CheckSystemPower();

// 1 when the work directory's volume has enough space; 0 after showing
// the failure message.
int CheckDiskSpace();

}  // namespace app
