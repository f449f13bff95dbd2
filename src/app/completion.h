// The end of an update that ran through, shared by both flash paths: the
// completion message, the controller armed to switch the machine on again,
// the power-off request.
#pragma once

#include <cstdint>

namespace app {

// Called with the tools removed and the input devices resumed. A
// vendor-'M' controller is armed by command; otherwise KeepPowerOn,
// BlockPowerOff or SkipUpdateMicom end the run here without message or
// power-off, else the auto-on bit is set. An arming that fails is reported
// ("Fail : Set Auto On") and the machine is switched off all the same.
// Returns the exit code, 0.
uint32_t CompleteUpdate();

}  // namespace app
