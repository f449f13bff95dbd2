#include "app/completion.h"

#include "core/messages.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/firmware_state.h"
#include "hw/power_cycle.h"
#include "os/os.h"
#include "ui/progress_dialog.h"

namespace app {
namespace {

constexpr uint32_t kNoPowerOff = core::KeepPowerOn | core::BlockPowerOff | core::SkipUpdateMicom;

void ShowComplete() {
  ui::StopAnimation();
  core::ShowText(core::box::kInformation, core::Texts::kCompleteTitle,
                 core::Texts::kPowerCycleNotice);
}

}  // namespace

uint32_t CompleteUpdate() {
  core::ResultCode armed = core::ResultSuccess;
  if (firmware::Firmware().ControllerVendorM) {
    ShowComplete();
    armed = hw::SetAutoOnByEcCommand();
  } else if (core::Shared().UpdateFlags & kNoPowerOff) {
    return core::ResultSuccess;
  } else {
    ShowComplete();
    armed = hw::SetAutoOnByEcRegister();
  }
  if (armed != core::ResultSuccess) {
    os::Os().files->Remove("AddMem.sys");
    core::ShowText(core::box::kError, core::Texts::kAutoOnTitle, core::Texts::kAutoOnFailed);
  }
  hw::ShutdownSystem(hw::kExitWindowsPowerOff);
  return core::ResultSuccess;
}

}  // namespace app
