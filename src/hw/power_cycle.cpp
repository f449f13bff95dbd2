#include "hw/power_cycle.h"

#include "core/log.h"
#include "hw/driver_loading.h"
#include "hw/ec_mailbox.h"
#include "hw/keyboard_controller.h"
#include "os/os.h"

namespace hw {
namespace {

// Real-time priority for the lifetime of the object, so that nothing else
// on the machine runs between the controller bytes; the class found on
// entry is set again on every way out. When it cannot be read, the class
// is left alone: what is not known cannot be restored.
class RealTimePriority {
 public:
  RealTimePriority() : previous_(os::Os().system->PriorityClass()) {
    if (previous_) os::Os().system->SetPriorityClass(kRealTimePriorityClass);
  }
  ~RealTimePriority() {
    if (previous_) os::Os().system->SetPriorityClass(previous_);
  }
  RealTimePriority(const RealTimePriority&) = delete;
  RealTimePriority& operator=(const RealTimePriority&) = delete;

 private:
  const uint32_t previous_;
};

// Opens the driver, runs `send` at real-time priority, closes the driver.
template <typename Send>
core::ResultCode ArmAutoOn(Send send) {
  if (!OpenDriverWithRetry()) return core::ResultDriverLoad;
  bool taken = false;
  {
    RealTimePriority priority;
    taken = send();
  }
  CloseDriver();
  if (taken) return core::ResultSuccess;
  core::WriteLog("Set Auto On : the controller did not answer");
  return kAutoOnNotTaken;
}

}  // namespace

core::ResultCode SetAutoOnByEcRegister() {
  return ArmAutoOn([] {
    const int value = ReadEcByte(kAutoOnRegister);
    // A byte that could not be read is not guessed: writing a stand-in
    // would change the controller's other settings in that byte.
    return value >= 0 && WriteEcByte(kAutoOnRegister, static_cast<uint8_t>(value | 0x01));
  });
}

core::ResultCode SetAutoOnByEcCommand() {
  return ArmAutoOn([] { return SendEcAutoOnCommand(); });
}

void ShutdownSystem(uint32_t flags) {
  os::System& system = *os::Os().system;
  if (IsNtPlatform()) system.EnableShutdownPrivilege();
  uint32_t error = 0;
  if (!system.RequestExitWindows(flags, &error))
    core::WriteLog("ShutdownSystem : ExitWindowsEx refused (error %u)", error);
}

}  // namespace hw
