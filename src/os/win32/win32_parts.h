// The Win32 implementations of the seam's interfaces, one file each;
// win32_platform.cpp puts them together. Each lives for the whole process.
#pragma once

#include "os/os.h"

namespace win32 {

os::FileSystem& FileSystem();
os::System& System();
os::Processes& Processes();
os::UserInterface& UserInterface();
os::Threads& Threads();
os::Devices& Devices();
os::ServiceManager& ServiceManager();
os::Dialogs& Dialogs();
os::Libraries& Libraries();
os::DeviceManager& DeviceManager();

}  // namespace win32
