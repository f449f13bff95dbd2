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

os::ServiceRef SimServices::OpenManager() {
  return kManager;
}

os::ServiceRef SimServices::CreateKernelDriver(os::ServiceRef manager, const std::string& name,
                                               const std::string&, const std::string& binaryPath) {
  if (manager != kManager) return Fail(os::error::kInvalidHandle);
  const std::string key = Upper(name);
  if (failingCreations_[key] > 0) {
    --failingCreations_[key];
    transcript_->Add("service", "create " + name + ": refused");
    return Fail(os::error::kServiceMarkedForDelete);
  }
  if (services_.count(key)) {
    const bool marked = services_[key].deletePending;
    transcript_->Add("service", "create " + name + (marked ? ": marked for deletion" : ": exists"));
    return Fail(marked ? os::error::kServiceMarkedForDelete : os::error::kServiceExists);
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

SimServices::Registration* SimServices::Find(os::ServiceRef service) {
  auto handle = handles_.find(service);
  if (handle == handles_.end()) return Fail(os::error::kInvalidHandle), nullptr;
  auto registration = services_.find(handle->second);
  // A deleted service, or one that goes once it stops, takes no more calls.
  if (registration == services_.end() || registration->second.deletePending)
    return Fail(os::error::kServiceMarkedForDelete), nullptr;
  return &registration->second;
}

bool SimServices::Start(os::ServiceRef service) {
  Registration* found = Find(service);
  if (!found) return false;
  Registration& r = *found;
  auto it = handles_.find(service);
  if (!files_->Exists(r.binaryPath) || files_->IsDirectory(r.binaryPath)) {
    transcript_->Add("service", "start " + it->second + ": driver file missing");
    return Fail(os::error::kDllInitFailed) != 0;
  }
  if (!r.running) files_->Lock(r.binaryPath);
  r.running = true;
  transcript_->Add("service", "start " + it->second);
  return true;
}

bool SimServices::Stop(os::ServiceRef service) {
  auto it = handles_.find(service);
  if (it == handles_.end()) return Fail(os::error::kInvalidHandle) != 0;
  auto registration = services_.find(it->second);
  if (registration == services_.end()) return Fail(os::error::kServiceMarkedForDelete) != 0;
  Registration& r = registration->second;
  const bool wasRunning = r.running;
  if (wasRunning) files_->Unlock(r.binaryPath);
  r.running = false;
  transcript_->Add("service", "stop " + it->second + (wasRunning ? "" : ": not running"));
  if (r.deletePending) services_.erase(it->second);
  return wasRunning;
}

bool SimServices::Delete(os::ServiceRef service) {
  Registration* found = Find(service);
  if (!found) return false;
  Registration& r = *found;
  auto it = handles_.find(service);
  transcript_->Add("service", "delete " + it->second);
  // A running driver stays loaded, and its file locked, until it stops;
  // only then does the registration go.
  if (r.running)
    r.deletePending = true;
  else
    services_.erase(it->second);
  return true;
}

void SimServices::Register(const std::string& name, const std::string& binaryPath, bool running) {
  if (running && !files_->Exists(binaryPath)) files_->Put(binaryPath, "kernel driver");
  services_[Upper(name)] = Registration{binaryPath, running};
  if (running) files_->Lock(binaryPath);
}

void SimServices::FailCreations(const std::string& name, uint32_t count) {
  failingCreations_[Upper(name)] = count;
}

bool SimServices::IsRunning(const std::string& name) const {
  auto it = services_.find(Upper(name));
  return it != services_.end() && it->second.running;
}

void SimServices::Close(os::ServiceRef handle) {
  handles_.erase(handle);
}

}  // namespace sim
