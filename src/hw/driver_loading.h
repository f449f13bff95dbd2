// Choosing, installing and opening the kernel memory-access driver. Every
// hardware operation opens the driver (OpenDriverWithRetry), does its
// requests and closes it again (CloseDriver); nothing stays open between.
#pragma once

#include <cstddef>

namespace hw {

inline constexpr const char* kKmdfDeviceName = "\\\\.\\KMDFMEMIO\\kmdfmemiosamp.log";
inline constexpr const char* kTorqDeviceName = "\\\\.\\TORQ\\TorqDrv.log";
inline constexpr const char* kAddMemDeviceName = "\\\\.\\ADDMEM";
inline constexpr const char* kMemIoVxdDeviceName = "\\\\.\\MEMIO.VXD";
inline constexpr const char* kAddMemServiceName = "ADDMEM";
inline constexpr const char* kAddMemFileName = "ADDMEM.SYS";
// The current directory is read into this many characters (NUL included)
// and the driver path built from it must fit a path buffer.
inline constexpr size_t kCurrentDirectorySize = 255;
inline constexpr size_t kDriverPathSize = 260;

void ProbePlatform();
bool IsNtPlatform();
bool OpenDriver();
void CloseDriver();
bool OpenAddMemDevice();
bool InstallAddMemService();
bool RemoveAddMemService();
bool OpenKmdfDevice();

// Ten attempts of OpenDriver, no pause between them. 1 when the driver is
// open, 0 when it failed on a system other than Windows 7 or Vista; there a
// failure shows "Driver Load Fail" (no owner, even under NoMessageBox) and
// ends the process with exit code -1: without the driver those systems
// cannot be updated at all.
int OpenDriverWithRetry();

}  // namespace hw
