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

// Waits for the input buffer to empty, then writes the byte whatever the
// wait found. True when the wait ended in time and the write went through.
bool WaitAndWrite(Port port, uint8_t value) {
  const bool waited = KbcWaitInputEmpty();
  HardwareState& hw = Hw();
  hw.portFailed = false;
  if (port == Port::kCommand)
    KbcWriteCommand(value);
  else
    KbcWriteData(value);
  return waited && !hw.portFailed;
}

}  // namespace

bool KeyboardControllerOff() {
  core::WriteLog("KEY OFF Start");
  if (!OpenDriverWithRetry()) return false;
  // Each step only once the one before was taken.
  const bool off = WaitAndWrite(Port::kCommand, kDisableKeyboard) &&
                   WaitAndWrite(Port::kCommand, kDisableAux) &&
                   WaitAndWrite(Port::kCommand, kWriteCommandByte) &&
                   WaitAndWrite(Port::kData, kCommandByteInputOff);
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
  bool on = WaitAndWrite(Port::kCommand, kWriteCommandByte);
  on = WaitAndWrite(Port::kData, kCommandByteInputOn) && on;
  on = WaitAndWrite(Port::kCommand, kEnableKeyboard) && on;
  on = WaitAndWrite(Port::kCommand, kEnableAux) && on;
  CloseDriver();
  if (!on) core::WriteLog("Key ON Fail");
  return on;
}

}  // namespace hw
