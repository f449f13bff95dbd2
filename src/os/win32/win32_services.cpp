// The service control manager, for the kernel driver that is installed as a
// service.
#include <windows.h>
#include <winsvc.h>

#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

SC_HANDLE AsHandle(os::ServiceRef handle) {
  return reinterpret_cast<SC_HANDLE>(handle);
}
os::ServiceRef AsRef(SC_HANDLE handle) {
  return reinterpret_cast<os::ServiceRef>(handle);
}

class Win32ServiceManager : public os::ServiceManager {
 public:
  os::ServiceRef OpenManager() override {
    return AsRef(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  }

  os::ServiceRef CreateKernelDriver(os::ServiceRef manager, const std::string& name,
                                    const std::string& displayName,
                                    const std::string& binaryPath) override {
    return AsRef(CreateServiceA(AsHandle(manager), name.c_str(), displayName.c_str(),
                                SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr, nullptr, nullptr,
                                nullptr, nullptr));
  }

  os::ServiceRef OpenExisting(os::ServiceRef manager, const std::string& name) override {
    return AsRef(OpenServiceA(AsHandle(manager), name.c_str(), SERVICE_ALL_ACCESS));
  }

  bool Start(os::ServiceRef service) override {
    return StartServiceA(AsHandle(service), 0, nullptr) != FALSE;
  }

  bool Stop(os::ServiceRef service) override {
    SERVICE_STATUS status;
    return ControlService(AsHandle(service), SERVICE_CONTROL_STOP, &status) != FALSE;
  }

  bool Delete(os::ServiceRef service) override { return DeleteService(AsHandle(service)) != FALSE; }

  void Close(os::ServiceRef handle) override {
    if (handle) CloseServiceHandle(AsHandle(handle));
  }

  uint32_t LastError() override { return GetLastError(); }
};

}  // namespace

os::ServiceManager& ServiceManager() {
  static Win32ServiceManager services;
  return services;
}

}  // namespace win32
