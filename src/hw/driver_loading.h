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

}  // namespace hw
