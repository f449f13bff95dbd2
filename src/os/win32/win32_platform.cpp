#include "os/win32/win32_platform.h"

#include "os/win32/win32_parts.h"

namespace win32 {

void InstallPlatform() {
  os::Platform platform;
  platform.files = &FileSystem();
  platform.system = &System();
  platform.processes = &Processes();
  platform.ui = &UserInterface();
  platform.threads = &Threads();
  platform.devices = &Devices();
  platform.services = &ServiceManager();
  os::InstallPlatform(platform);
}

}  // namespace win32
