#include "hw/driver_loading.h"

#include <string>

#include "core/log.h"
#include "core/messages.h"
#include "core/shared_state.h"
#include "hw/hardware_state.h"
#include "hw/mice.h"
#include "os/os.h"

namespace hw {
namespace {

constexpr uint32_t kReadWrite = os::device::kGenericRead | os::device::kGenericWrite;
constexpr uint32_t kKmdfOpenAttempts = 10;
constexpr uint32_t kKmdfOpenPauseMs = 50;

// CreateFileA(name, read and write, no sharing, OPEN_EXISTING, normal).
bool OpenExclusive(const char* name) {
  Hw().device = os::Os().devices->Open(name, kReadWrite, 0, os::device::kOpenExisting,
                                       os::device::kAttributeNormal);
  return Hw().device != os::kInvalidDevice;
}

// The service's driver file: the current directory and "\ADDMEM.SYS".
// False when the directory does not fit the buffers the path is built in.
bool BuildDriverPath(std::string* path) {
  std::string directory = os::Os().files->CurrentDirectory();
  if (directory.empty() || directory.size() >= kCurrentDirectorySize) return false;
  // A root ("C:\") already ends in the separator.
  if (directory.back() != '\\') directory += '\\';
  *path = directory + kAddMemFileName;
  return path->size() < kDriverPathSize;
}

}  // namespace

void ProbePlatform() {
  HardwareState& hw = Hw();
  hw.versionProbed = true;
  os::VersionFacts facts;
  const bool known = os::Os().system->QueryVersionEx(&facts);
  hw.isWindows7 = known && facts.major == 6 && facts.minor == 1;
  hw.isWindowsVista = known && facts.major == 6 && facts.minor == 0;
  hw.isWow64 = 0;
  if (!os::Os().system->QueryWow64(&hw.isWow64)) hw.isWow64 = 0;
}

bool IsNtPlatform() {
  Hw().isNt = (os::Os().system->Version() & 0x80000000u) == 0;
  return Hw().isNt;
}

bool OpenDriver() {
  HardwareState& hw = Hw();
  if (!hw.versionProbed) ProbePlatform();
  if (hw.isWindowsVista) {
    // On this driver the open only tests presence; each request opens the
    // device again (OpenKmdfDevice).
    if (!OpenExclusive(kKmdfDeviceName)) return false;
    os::Os().devices->Close(hw.device);
    hw.device = os::kInvalidDevice;
    return true;
  }
  if (hw.isWindows7) return OpenExclusive(kTorqDeviceName);
  if (OpenAddMemDevice()) return true;
  if (!InstallAddMemService()) {
    RemoveAddMemService();
    if (!InstallAddMemService()) return false;
  }
  return OpenAddMemDevice();
}

void CloseDriver() {
  HardwareState& hw = Hw();
  if (hw.device != os::kInvalidDevice) os::Os().devices->Close(hw.device);
  hw.device = os::kInvalidDevice;
}

bool OpenAddMemDevice() {
  HardwareState& hw = Hw();
  if (IsNtPlatform()) return OpenExclusive(kAddMemDeviceName);
  // The Windows 9x way of loading a dynamic VxD, unloaded with its last handle.
  hw.device = os::Os().devices->Open(kMemIoVxdDeviceName, kReadWrite, 0, 0,
                                     os::device::kDeleteOnClose | os::device::kAttributeNormal);
  return hw.device != os::kInvalidDevice;
}

bool InstallAddMemService() {
  if (!IsNtPlatform()) return true;
  // A registration left by an earlier run, perhaps with another file path,
  // never survives.
  RemoveAddMemService();
  os::ServiceManager& scm = *os::Os().services;
  const os::ServiceRef manager = scm.OpenManager();
  if (!manager) return false;
  std::string path;
  const os::ServiceRef service =
      BuildDriverPath(&path)
          ? scm.CreateKernelDriver(manager, kAddMemServiceName, kAddMemServiceName, path)
          : 0;
  if (!service) {
    scm.Close(manager);
    return false;
  }
  // Whether the driver really runs is decided by the open that follows.
  scm.Start(service);
  scm.Close(service);
  scm.Close(manager);
  return true;
}

bool RemoveAddMemService() {
  if (!IsNtPlatform()) return true;
  os::ServiceManager& scm = *os::Os().services;
  const os::ServiceRef manager = scm.OpenManager();
  if (!manager) return false;
  const os::ServiceRef service = scm.OpenExisting(manager, kAddMemServiceName);
  if (!service) {
    scm.Close(manager);
    return false;
  }
  scm.Stop(service);
  scm.Delete(service);
  scm.Close(service);
  scm.Close(manager);
  return true;
}

bool OpenKmdfDevice() {
  if (!Hw().isWindowsVista) return false;
  for (uint32_t attempt = 0; attempt < kKmdfOpenAttempts; ++attempt) {
    if (OpenExclusive(kKmdfDeviceName)) return true;
    os::Os().threads->Sleep(kKmdfOpenPauseMs);
  }
  return false;
}

int OpenDriverWithRetry() {
  constexpr int kOpenAttempts = 10;
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    if (OpenDriver()) return 1;
  }
  const HardwareState& state = Hw();
  if (state.isWindows7 || state.isWindowsVista) {
    if (core::Shared().InputDevicesSuspended) {
      // Keyboard and mouse are off, so nobody could answer the box, and the
      // keyboard controller cannot be switched on without the driver: the
      // mice come back and the run ends without waiting.
      SetMiceEnabled(true);
      core::WriteLog("Driver Load Fail : keyboard and mouse were off, no message shown");
    } else {
      // Shown whatever NoMessageBox says: without the driver nothing can be done.
      os::Os().ui->ShowMessageBox(
          0,
          "Fail to update.\nCheck if LMX(Lumivex) is installed.\nLMX must be installed to "
          "update BIOS.",
          "Driver Load Fail", core::box::kError);
    }
    os::Os().system->ExitProcess(static_cast<uint32_t>(-1));
  }
  return 0;
}

}  // namespace hw
