// Process-wide state of the hardware access layer: the Windows facts that
// choose the memory-access driver, the driver's device handle, and what the
// firmware and controller probes found. One instance; tests start afresh
// with ResetHardwareState().
#pragma once

#include <cstdint>

#include "hw/sw_smi_descriptor.h"
#include "os/os.h"

namespace hw {

// The memory-access driver that serves this Windows, in the order chosen.
enum class DriverKind {
  KmdfMemIo,  // Windows Vista
  Torq,       // Windows 7
  AddMem,     // every other NT version, installed as a service
  MemIoVxd,   // the 9x family
};

struct HardwareState {
  bool versionProbed = false;
  bool isNt = false;  // rewritten by every IsNtPlatform call
  bool isWindows7 = false;
  bool isWindowsVista = false;
  int32_t isWow64 = 0;
  os::DeviceRef device = os::kInvalidDevice;

  // Set when a port request could not be carried out (a KMDFMEMIO device
  // that would not open, a request refused past its limit): the value read
  // is then a stand-in. Operations that must not act on a stand-in clear
  // it first and check it afterwards.
  bool portFailed = false;
  // One log line per run of refused requests, not one per request.
  bool refusalLogged = false;
  // Requests that put a device back as it was are re-sent for longer
  // (RestoringRequests).
  bool restoring = false;

  // The firmware's software-SMI record, kept by LocateSwSmi; CallSwSmi runs
  // only once LocateSwSmi found it whole and usable.
  SwSmiDescriptor swSmi;
  bool swSmiFound = false;
  // I/O base of the controller's register mailbox; 0 until found active.
  uint16_t EcMailboxBase = 0;
};

HardwareState& Hw();
void ResetHardwareState();

DriverKind CurrentDriverKind();

}  // namespace hw
