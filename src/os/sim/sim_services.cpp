#include "os/sim/sim_services.h"

namespace sim {
namespace {
constexpr os::ServiceRef kManager = 1;

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}
}  // namespace

os::ServiceRef SimServices::OpenManager() { return kManager; }

os::ServiceRef SimServices::CreateKernelDriver(os::ServiceRef manager, const std::string& name,
                                               const std::string&, const std::string& binaryPath) {
  if (manager != kManager) return Fail(os::error::kInvalidHandle);
  const std::string key = Upper(name);
  if (services_.count(key)) {
    transcript_->Add("service", "create " + name + ": exists");
    return Fail(os::error::kServiceExists);
  }
  services_[key] = Registration{binaryPath};
  transcript_->Add("service", "create " + name + " " + binaryPath);
  handles_[nextHandle_] = key;
  return nextHandle_++;
}

os::ServiceRef SimServices::OpenExisting(os::ServiceRef manager, const std::string& name) {
  if (manager != kManager) return Fail(os::error::kInvalidHandle);
  const std::string key = Upper(name);
  if (!services_.count(key)) return Fail(os::error::kServiceDoesNotExist);
  handles_[nextHandle_] = key;
  return nextHandle_++;
}

bool SimServices::Start(os::ServiceRef service) {
  auto it = handles_.find(service);
  if (it == handles_.end()) return Fail(os::error::kInvalidHandle) != 0;
  Registration& r = services_[it->second];
  if (!files_->Exists(r.binaryPath)) {
    transcript_->Add("service", "start " + it->second + ": driver file missing");
    return Fail(os::error::kDllInitFailed) != 0;
  }
  r.running = true;
  transcript_->Add("service", "start " + it->second);
  return true;
}

bool SimServices::Stop(os::ServiceRef service) {
  auto it = handles_.find(service);
  if (it == handles_.end()) return Fail(os::error::kInvalidHandle) != 0;
  Registration& r = services_[it->second];
  const bool wasRunning = r.running;
  r.running = false;
  transcript_->Add("service", "stop " + it->second + (wasRunning ? "" : ": not running"));
  return wasRunning;
}

bool SimServices::Delete(os::ServiceRef service) {
  auto it = handles_.find(service);
  if (it == handles_.end()) return Fail(os::error::kInvalidHandle) != 0;
  transcript_->Add("service", "delete " + it->second);
  services_.erase(it->second);
  return true;
}

void SimServices::Close(os::ServiceRef handle) { handles_.erase(handle); }

}  // namespace sim
