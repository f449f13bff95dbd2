#include "os/win32/win32_platform.h"

#include <windows.h>

#include "os/win32/win32_parts.h"

namespace win32 {

void InstallPlatform() {
  // The update runs unattended, with the keyboard and mouse switched off for
  // part of it: a drive without a medium or a missing file must come back as
  // an error, not as a system box that nobody can answer. Outside programs
  // get the system's default mode back when they start.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  os::Platform platform;
  platform.files = &FileSystem();
  platform.system = &System();
  platform.processes = &Processes();
  platform.ui = &UserInterface();
  platform.threads = &Threads();
  platform.devices = &Devices();
  platform.services = &ServiceManager();
  platform.dialogs = &Dialogs();
  platform.libraries = &Libraries();
  platform.deviceManager = &DeviceManager();
  os::InstallPlatform(platform);
}

}  // namespace win32
