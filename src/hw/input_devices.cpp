#include "hw/input_devices.h"

#include "core/shared_state.h"
#include "hw/keyboard_switch.h"
#include "hw/mice.h"

namespace hw {

bool SuspendInputDevices() {
  core::Shared().InputDevicesSuspended = true;
  SetMiceEnabled(false);
  return KeyboardControllerOff();
}

bool ResumeInputDevices() {
  const bool keyboardOn = KeyboardControllerOn();
  SetMiceEnabled(true);
  if (keyboardOn) core::Shared().InputDevicesSuspended = false;
  return keyboardOn;
}

}  // namespace hw
