#include "firmware/firmware_state.h"

#include <new>

namespace firmware {
namespace {
FirmwareState g_firmware;
}

FirmwareState& Firmware() {
  return g_firmware;
}

void ResetFirmwareState() {
  g_firmware.~FirmwareState();
  new (&g_firmware) FirmwareState();
}

}  // namespace firmware
