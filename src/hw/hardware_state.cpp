#include "hw/hardware_state.h"

#include <new>

namespace hw {
namespace {
HardwareState g_state;
}

HardwareState& Hw() {
  return g_state;
}

void ResetHardwareState() {
  g_state.~HardwareState();
  new (&g_state) HardwareState();
}

DriverKind CurrentDriverKind() {
  if (g_state.isWindowsVista) return DriverKind::KmdfMemIo;
  if (g_state.isWindows7) return DriverKind::Torq;
  return g_state.isNt ? DriverKind::AddMem : DriverKind::MemIoVxd;
}

}  // namespace hw
