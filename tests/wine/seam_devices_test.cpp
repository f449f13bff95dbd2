// Device handles and request memory; the service control manager.
#include <windows.h>

#include <cstring>

#include "seam_test.h"

namespace {

constexpr const char* kServiceName = "OrvSeamProbe";

// A registration left by an interrupted earlier run.
void RemoveLeftoverService(os::ServiceManager& services, os::ServiceRef manager) {
  os::ServiceRef old = services.OpenExisting(manager, kServiceName);
  if (!old) return;
  services.Stop(old);
  services.Delete(old);
  services.Close(old);
}

}  // namespace

TEST_CASE(devices_missing_device_and_requests) {
  os::Devices& devices = *os::Os().devices;
  uint32_t error = 0;
  const os::DeviceRef device =
      devices.Open("\\\\.\\NOSUCHDEV", os::device::kGenericRead | os::device::kGenericWrite, 0,
                   os::device::kOpenExisting, os::device::kAttributeNormal, &error);
  CHECK_EQ(device, os::kInvalidDevice);
  CHECK_EQ(error, os::error::kFileNotFound);

  uint8_t record[9] = {1, 2, 3};
  uint8_t reply[4] = {};
  uint32_t returned = 77;
  CHECK(!devices.Control(os::kInvalidDevice, 0x9C412008, record, sizeof record, reply, sizeof reply,
                         &returned));
  CHECK_EQ(returned, 0u);

  // Request records carry a 32-bit address of themselves.
  static_assert(sizeof(void*) == 4);
  // A block handed out again must come back zeroed, not with old contents.
  for (int round = 0; round < 2; ++round) {
    auto* block = static_cast<uint8_t*>(devices.AllocateRequest(16 + 4096));
    CHECK(block != nullptr);
    if (!block) return;
    bool zero = true;
    for (size_t i = 0; i < 16 + 4096; ++i) zero = zero && block[i] == 0;
    CHECK(zero);
    std::memset(block, 0xA5, 16 + 4096);
    devices.FreeRequest(block);
  }
  devices.FreeRequest(nullptr);
}

TEST_CASE(services_kernel_driver_registration) {
  os::ServiceManager& services = *os::Os().services;
  const os::ServiceRef manager = services.OpenManager();
  CHECK(manager != 0);
  if (!manager) return;
  RemoveLeftoverService(services, manager);

  const std::string missingDriver = "C:\\windows\\temp\\orv_seam_missing_driver.sys";
  const os::ServiceRef created =
      services.CreateKernelDriver(manager, kServiceName, kServiceName, missingDriver);
  CHECK(created != 0);
  CHECK(!services.CreateKernelDriver(manager, kServiceName, kServiceName, missingDriver));
  CHECK_EQ(services.LastError(), os::error::kServiceExists);

  const os::ServiceRef opened = services.OpenExisting(manager, "ORVSEAMPROBE");
  CHECK(opened != 0);
  // Registered as the driver must be: a kernel driver started on demand.
  union {
    QUERY_SERVICE_CONFIGA config;
    char bytes[8192];
  } answer;
  DWORD needed = 0;
  CHECK(QueryServiceConfigA(reinterpret_cast<SC_HANDLE>(opened), &answer.config, sizeof answer,
                            &needed));
  CHECK_EQ(answer.config.dwServiceType, static_cast<DWORD>(SERVICE_KERNEL_DRIVER));
  CHECK_EQ(answer.config.dwStartType, static_cast<DWORD>(SERVICE_DEMAND_START));
  CHECK_EQ(answer.config.dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
  CHECK(std::string(answer.config.lpBinaryPathName).find("orv_seam_missing_driver.sys") !=
        std::string::npos);
  // A missing driver file shows only when the service starts.
  CHECK(!services.Start(opened));
  CHECK_EQ(services.LastError(), os::error::kDllInitFailed);
  CHECK(!services.Stop(opened));
  CHECK(services.Delete(opened));
  services.Close(opened);
  services.Close(created);

  CHECK(!services.OpenExisting(manager, kServiceName));
  CHECK_EQ(services.LastError(), os::error::kServiceDoesNotExist);
  services.Close(manager);
}
