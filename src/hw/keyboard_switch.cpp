#include "hw/keyboard_switch.h"

#include "core/log.h"
#include "hw/device_requests.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw/keyboard_controller.h"

namespace hw {
namespace {

constexpr uint8_t kWriteCommandByte = 0x60;
constexpr uint8_t kDisableKeyboard = 0xAD, kEnableKeyboard = 0xAE;
constexpr uint8_t kDisableAux = 0xA7, kEnableAux = 0xA8;

enum class Port { kCommand, kData };

// True when the write went through (not dropped by the driver).
bool Write(Port port, uint8_t value) {
  HardwareState& hw = Hw();
  hw.portFailed = false;
  if (port == Port::kCommand)
    KbcWriteCommand(value);
  else
    KbcWriteData(value);
  return !hw.portFailed;
}

// Writes only into a controller that has taken the byte before.
bool WaitThenWrite(Port port, uint8_t value) {
  return KbcWaitInputEmpty() && Write(port, value);
}

// Writes whatever the wait found; true when both went well.
bool WaitThenWriteAnyway(Port port, uint8_t value) {
  const bool waited = KbcWaitInputEmpty();
  return Write(port, value) && waited;
}

}  // namespace

bool KeyboardControllerOff() {
  core::WriteLog("KEY OFF Start");
  if (!OpenDriverWithRetry()) return false;
  // Each step only once the one before was taken.
  const bool off = WaitThenWrite(Port::kCommand, kDisableKeyboard) &&
                   WaitThenWrite(Port::kCommand, kDisableAux) &&
                   WaitThenWrite(Port::kCommand, kWriteCommandByte) &&
                   WaitThenWrite(Port::kData, kCommandByteInputOff);
  CloseDriver();
  if (off) core::WriteLog("Key OFF End");
  return off;
}

bool KeyboardControllerOn() {
  if (!OpenDriverWithRetry()) {
    core::WriteLog("Key ON Fail");
    return false;
  }
  // A byte left pending is thrown away; neither read decides anything.
  KbcReadStatus();
  ReadPort8(kKbcDataPort);
  bool on = WaitThenWriteAnyway(Port::kCommand, kWriteCommandByte);
  on = WaitThenWriteAnyway(Port::kData, kCommandByteInputOn) && on;
  on = WaitThenWriteAnyway(Port::kCommand, kEnableKeyboard) && on;
  on = WaitThenWriteAnyway(Port::kCommand, kEnableAux) && on;
  CloseDriver();
  if (!on) core::WriteLog("Key ON Fail");
  return on;
}

}  // namespace hw
