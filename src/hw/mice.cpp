#include "hw/mice.h"

#include <vector>

#include "core/log.h"
#include "os/little_endian.h"
#include "os/os.h"

namespace hw {
namespace {

// "mouse" in the first five characters, in any letter case. The name is
// compared in UTF-16: converted to the ANSI code page without best-fit
// mapping, no other character becomes one of these letters, so the outcome
// is the one the ANSI comparison gives.
bool NamesMouse(const std::vector<uint8_t>& name) {
  static constexpr char kMouse[] = "mouse";
  constexpr size_t kLength = sizeof kMouse - 1;
  if (name.size() < 2 * kLength) return false;
  for (size_t i = 0; i < kLength; ++i) {
    uint16_t unit = little_endian::Load16(&name[2 * i]);
    if (unit >= 'A' && unit <= 'Z') unit = static_cast<uint16_t>(unit + ('a' - 'A'));
    if (unit != static_cast<uint8_t>(kMouse[i])) return false;
  }
  return true;
}

// Reads the device's class name with the setup API's buffer protocol: the
// first read (into no buffer) learns the size. Bounded: a read that keeps
// failing leaves the device alone.
bool IsMouse(os::DeviceManager& manager, os::DeviceListRef list, uint32_t index) {
  std::vector<uint8_t> name;
  uint32_t error = 0;
  for (uint32_t attempt = 0; attempt < kClassNameAttempts; ++attempt) {
    uint32_t required = 0;
    if (manager.ReadClassName(list, index, name.data(), static_cast<uint32_t>(name.size()),
                              &required, &error))
      return NamesMouse(name);
    if (error == os::error::kInvalidData) return false;  // a device without a class
    if (error == os::error::kInsufficientBuffer) {
      if (required > kClassNameMaxBytes) break;
      name.assign(required, 0);
    }
  }
  core::WriteLog("Device %u: class name unreadable (error %u), left alone", index, error);
  return false;
}

// Devices the user may switch: disableable, and not held off by their hardware.
bool MayChange(os::DeviceManager& manager, os::DeviceListRef list, uint32_t index) {
  uint32_t status = 0, problem = 0;
  return manager.NodeStatus(list, index, &status, &problem) &&
         (status & os::device_node::kDisableable) &&
         problem != os::device_node::kProblemHardwareDisabled;
}

void ChangeState(os::DeviceManager& manager, os::DeviceListRef list, uint32_t index, bool enable) {
  os::UserInterface& ui = *os::Os().ui;
  // The class installer may take a while per device.
  const os::CursorRef previous = ui.ShowWaitCursor();
  const bool changed =
      manager.SetPropertyChange(
          list, index, enable ? os::property_change::kEnable : os::property_change::kDisable,
          os::property_change::kScopeGlobal, 0) &&
      manager.CallPropertyChange(list, index);
  ui.RestoreCursor(previous);
  if (!changed) core::WriteLog(enable ? "Mouse %u not enabled" : "Mouse %u not disabled", index);
}

}  // namespace

void SetMiceEnabled(bool enable) {
  os::DeviceManager& manager = *os::Os().deviceManager;
  const os::DeviceListRef list = manager.OpenPresentDevices();
  if (!list) return;
  for (uint32_t index = 0; manager.HasDevice(list, index); ++index) {
    if (IsMouse(manager, list, index) && MayChange(manager, list, index))
      ChangeState(manager, list, index, enable);
  }
  manager.ClosePresentDevices(list);
}

}  // namespace hw
