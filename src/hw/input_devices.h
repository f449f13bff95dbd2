// Input switched off while the firmware is written, and on again: the mice
// through the device manager, the keyboard controller's interfaces with
// controller commands.
#pragma once

namespace hw {

// Mice first, then the keyboard controller. Marks the run as having
// suspended input before anything is switched, so that the reporter's
// clean-up resumes even a suspension that stopped halfway. The keyboard
// controller's result.
bool SuspendInputDevices();

// The keyboard controller first, then the mice; whether or not anything was
// suspended before. The keyboard controller's result; only a complete
// resume clears the run's mark, so the clean-up tries again otherwise.
bool ResumeInputDevices();

}  // namespace hw
