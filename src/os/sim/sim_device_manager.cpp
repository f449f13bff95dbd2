#include "os/sim/sim_device_manager.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace sim {
namespace {

using nlohmann::json;
namespace node = os::device_node;

// A notebook's usual input devices when the profile lists none.
const char* const kDefaultDevices = R"([
  {"name": "Standard PS/2 Keyboard", "class": "Keyboard"},
  {"name": "PS/2 Compatible Mouse", "class": "Mouse"}
])";

// UTF-8 text as NUL-terminated UTF-16LE bytes, as the setup API hands out
// a class name.
std::vector<uint8_t> Utf16(const std::string& text) {
  std::vector<uint8_t> bytes;
  auto unit = [&](uint32_t u) {
    bytes.push_back(static_cast<uint8_t>(u));
    bytes.push_back(static_cast<uint8_t>(u >> 8));
  };
  for (size_t i = 0; i < text.size();) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    uint32_t code = extra ? lead & (0x3F >> extra) : lead;
    for (int k = 1; k <= extra && i + k < text.size(); ++k)
      code = code << 6 | (static_cast<uint8_t>(text[i + k]) & 0x3F);
    i += 1 + extra;
    if (code >= 0x10000) {
      unit(0xD800 + ((code - 0x10000) >> 10));
      unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      unit(code);
    }
  }
  unit(0);
  return bytes;
}

uint32_t ReadProblem(const json& item) {
  const std::string state = item.value("state", "enabled");
  if (state == "enabled") return 0;
  if (state == "disabled") return node::kProblemDisabled;
  if (state == "hardware-disabled") return node::kProblemHardwareDisabled;
  throw std::runtime_error(
      "profile: a device's \"state\" must be enabled, disabled or "
      "hardware-disabled");
}

uint32_t ReadFailures(const json& item) {
  if (!item.contains("classReadFails")) return 0;
  const json& v = item["classReadFails"];
  if (v == "always") return SimDeviceManager::kAlways;
  if (!v.is_number_unsigned())
    throw std::runtime_error("profile: \"classReadFails\" must be a count or \"always\"");
  return v.get<uint32_t>();
}

const char* StateName(uint32_t problem) {
  return problem == node::kProblemHardwareDisabled ? "disabled by hardware"
         : problem                                 ? "disabled"
                                                   : "enabled";
}

}  // namespace

SimDeviceManager::SimDeviceManager(const Profile& profile, Transcript* transcript)
    : transcript_(transcript) {
  const json list =
      profile.json.contains("devices") ? profile.json["devices"] : json::parse(kDefaultDevices);
  for (const json& item : list) {
    Device d;
    d.name = item.value("name", "Device " + std::to_string(devices_.size()));
    if (item.contains("class") && !item["class"].is_null())
      d.className = item["class"].get<std::string>();
    d.disableable = item.value("disableable", true);
    d.problem = ReadProblem(item);
    d.classReadFailures = ReadFailures(item);
    d.statusFails = item.value("statusFails", false);
    d.propertyChangeFails = item.value("propertyChangeFails", false);
    devices_.push_back(std::move(d));
  }
}

SimDeviceManager::Device* SimDeviceManager::Find(os::DeviceListRef list, uint32_t index) {
  if (std::find(open_.begin(), open_.end(), list) == open_.end() || index >= devices_.size())
    return nullptr;
  return &devices_[index];
}

os::DeviceListRef SimDeviceManager::OpenPresentDevices() {
  open_.push_back(nextList_);
  return nextList_++;
}

bool SimDeviceManager::HasDevice(os::DeviceListRef list, uint32_t index) {
  return Find(list, index) != nullptr;
}

bool SimDeviceManager::ReadClassName(os::DeviceListRef list, uint32_t index, void* buffer,
                                     uint32_t size, uint32_t* required, uint32_t* error) {
  Device* d = Find(list, index);
  if (!d) {
    *error = os::error::kInvalidParameter;
    return false;
  }
  ++d->classReads;
  if (d->classReadFailures) {
    if (d->classReadFailures != kAlways) --d->classReadFailures;
    *error = kClassReadError;
    return false;
  }
  if (!d->className) {
    *error = os::error::kInvalidData;
    return false;
  }
  const std::vector<uint8_t> name = Utf16(*d->className);
  *required = static_cast<uint32_t>(name.size());
  if (!buffer || size < name.size()) {
    *error = os::error::kInsufficientBuffer;
    return false;
  }
  std::memcpy(buffer, name.data(), name.size());
  *error = os::error::kNone;
  return true;
}

bool SimDeviceManager::NodeStatus(os::DeviceListRef list, uint32_t index, uint32_t* status,
                                  uint32_t* problem) {
  const Device* d = Find(list, index);
  if (!d || d->statusFails) return false;
  *status = node::kStarted * (d->problem == 0) | node::kHasProblem * (d->problem != 0) |
            node::kDisableable * d->disableable;
  *problem = d->problem;
  return true;
}

// Only the parameters a property change of the whole machine can have are
// taken; anything else is refused as the setup API would refuse it.
bool SimDeviceManager::SetPropertyChange(os::DeviceListRef list, uint32_t index,
                                         uint32_t stateChange, uint32_t scope,
                                         uint32_t hardwareProfile) {
  const Device* d = Find(list, index);
  if (!d) return false;
  const bool valid = (stateChange == os::property_change::kEnable ||
                      stateChange == os::property_change::kDisable) &&
                     scope == os::property_change::kScopeGlobal && hardwareProfile == 0;
  if (!valid || d->propertyChangeFails) {
    transcript_->Add("pnp", d->name + ": property change (state " + std::to_string(stateChange) +
                                ", scope " + std::to_string(scope) + ", profile " +
                                std::to_string(hardwareProfile) + ") refused");
    return false;
  }
  pending_[{list, index}] = stateChange;
  return true;
}

bool SimDeviceManager::CallPropertyChange(os::DeviceListRef list, uint32_t index) {
  Device* d = Find(list, index);
  auto change = pending_.find({list, index});
  if (!d || change == pending_.end()) return false;
  const bool enable = change->second == os::property_change::kEnable;
  pending_.erase(change);
  const char* before = StateName(d->problem);
  // Hardware keeps its own switch; a device that cannot be disabled stays on.
  const bool applies = d->problem != node::kProblemHardwareDisabled && (enable || d->disableable);
  if (applies) d->problem = enable ? 0 : node::kProblemDisabled;
  transcript_->Add("pnp", d->name + ": " + before + " -> " + StateName(d->problem));
  return applies;
}

void SimDeviceManager::ClosePresentDevices(os::DeviceListRef list) {
  open_.erase(std::remove(open_.begin(), open_.end(), list), open_.end());
  for (auto it = pending_.begin(); it != pending_.end();)
    it = it->first.first == list ? pending_.erase(it) : std::next(it);
}

}  // namespace sim
