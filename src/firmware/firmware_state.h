// What the firmware subsystem learns during a run: the installed firmware's
// identity, the image and MICOM files chosen, the embedded controller's
// vendor. One instance; tests start afresh with ResetFirmwareState().
#pragma once

#include <cstdint>

namespace firmware {

struct FirmwareState {
  // The controller identified itself with the vendor letter 'M'.
  uint8_t ControllerVendorM = 0;
};

FirmwareState& Firmware();
void ResetFirmwareState();

}  // namespace firmware
