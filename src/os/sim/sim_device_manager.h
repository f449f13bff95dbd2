// The device manager of the simulated notebook: the present devices of the
// profile's "devices" list with their setup class, their node status and
// problem, and the property changes the class installer carries out. Every
// installer call reaches the transcript ("pnp" lines) with the state before
// and after.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "os/os.h"
#include "os/sim/profile.h"
#include "os/sim/transcript.h"

namespace sim {

class SimDeviceManager : public os::DeviceManager {
 public:
  static constexpr uint32_t kAlways = 0xFFFFFFFF;
  // The error of a class-name read set to fail (ERROR_GEN_FAILURE).
  static constexpr uint32_t kClassReadError = 31;

  struct Device {
    std::string name;
    std::optional<std::string> className;  // none: the read gives error 13
    bool disableable = true;
    uint32_t problem = 0;  // 0, kProblemDisabled (by the user) or kProblemHardwareDisabled
    uint32_t classReadFailures = 0;  // reads that fail before one succeeds; kAlways
    bool statusFails = false;
    bool propertyChangeFails = false;
    uint32_t classReads = 0;  // reads asked for, failed ones included
  };

  // Throws std::runtime_error naming the field when the list is malformed.
  SimDeviceManager(const Profile& profile, Transcript* transcript);

  os::DeviceListRef OpenPresentDevices() override;
  bool HasDevice(os::DeviceListRef list, uint32_t index) override;
  bool ReadClassName(os::DeviceListRef list, uint32_t index, void* buffer, uint32_t size,
                     uint32_t* required, uint32_t* error) override;
  bool NodeStatus(os::DeviceListRef list, uint32_t index, uint32_t* status,
                  uint32_t* problem) override;
  bool SetPropertyChange(os::DeviceListRef list, uint32_t index, uint32_t stateChange,
                         uint32_t scope, uint32_t hardwareProfile) override;
  bool CallPropertyChange(os::DeviceListRef list, uint32_t index) override;
  void ClosePresentDevices(os::DeviceListRef list) override;

  const std::vector<Device>& Devices() const { return devices_; }
  size_t OpenLists() const { return open_.size(); }

 private:
  Device* Find(os::DeviceListRef list, uint32_t index);

  Transcript* transcript_;
  std::vector<Device> devices_;
  std::vector<os::DeviceListRef> open_;
  os::DeviceListRef nextList_ = 0x7000;
  // Property changes set and not yet carried out: (list, index) -> state change.
  std::map<std::pair<os::DeviceListRef, uint32_t>, uint32_t> pending_;
};

}  // namespace sim
