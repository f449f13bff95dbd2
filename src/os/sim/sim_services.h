// The service control manager of the simulated notebook. A kernel driver
// starts only when its file exists at the registered path, and its file is
// locked (cannot be replaced or removed) while the driver runs.
#pragma once

#include <map>
#include <string>

#include "os/os.h"
#include "os/sim/sim_files.h"
#include "os/sim/transcript.h"

namespace sim {

class SimServices : public os::ServiceManager {
 public:
  SimServices(Transcript* transcript, SimFileSystem* files)
      : transcript_(transcript), files_(files) {}
  os::ServiceRef OpenManager() override;
  os::ServiceRef CreateKernelDriver(os::ServiceRef manager, const std::string& name,
                                    const std::string& displayName,
                                    const std::string& binaryPath) override;
  os::ServiceRef OpenExisting(os::ServiceRef manager, const std::string& name) override;
  bool Start(os::ServiceRef service) override;
  bool Stop(os::ServiceRef service) override;
  bool Delete(os::ServiceRef service) override;
  void Close(os::ServiceRef handle) override;
  uint32_t LastError() override { return lastError_; }

  // Set-up: a registration left by an earlier run; a running one gets a
  // driver file if it has none.
  void Register(const std::string& name, const std::string& binaryPath, bool running);
  // The next `count` creations of `name` fail (a deleted registration that has not gone yet).
  void FailCreations(const std::string& name, uint32_t count);
  bool IsRunning(const std::string& name) const;

  struct Registration {
    std::string binaryPath;
    bool running = false;
    bool deletePending = false;
  };
  const std::map<std::string, Registration>& Registrations() const { return services_; }

 private:
  // The registration behind a service handle; null (with the error set)
  // for a bad handle or a deleted service.
  Registration* Find(os::ServiceRef service);
  os::ServiceRef Fail(uint32_t error) {
    lastError_ = error;
    return 0;
  }
  std::map<std::string, Registration> services_;      // keyed by upper-case name
  std::map<os::ServiceRef, std::string> handles_;     // service handles -> name
  std::map<std::string, uint32_t> failingCreations_;  // keyed by upper-case name
  os::ServiceRef nextHandle_ = 0x100;
  Transcript* transcript_;
  SimFileSystem* files_;
  uint32_t lastError_ = 0;
};

}  // namespace sim
