#include "app/ami_path.h"

#include "app/completion.h"
#include "app/sequence_state.h"
#include "app/shared_steps.h"
#include "core/log.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "firmware/ami_checks.h"
#include "firmware/flash_tool.h"
#include "firmware/tool_files.h"
#include "hw/chipset.h"
#include "hw/disk_password.h"
#include "hw/driver_loading.h"
#include "hw/input_devices.h"

namespace app {
namespace {

// The checks, the image check and the flash tool; then SMI enabled.
core::ResultCode Flash() {
  ShowPreparing();
  if (hw::FindPasswordProtectedDrives() != 0) return core::ResultHddPassword;
  if (core::ResultCode code = CheckControllerStep()) return code;
  if (core::ResultCode code = firmware::CheckAmiImage()) return code;
  if (core::ResultCode code = firmware::RunFlashTool(Sequence().FlashCommandLine)) return code;
  core::WriteLog("Before Checking SMI Enable");
  if (hw::EnableGlobalSmi() != core::ResultSuccess) return core::ResultSmiEnable;
  core::WriteLog("After Checking SMI Enable");
  return core::ResultSuccess;
}

}  // namespace

uint32_t RunAmiPath(char* commandLine) {
  hw::ProbePlatform();
  if (core::ResultCode code = ParseCommandLine(FlashPath::kAmi, commandLine))
    return core::ReportResult(code);
  hw::SuspendInputDevices();
  if (core::ResultCode code = Flash()) return core::ReportResult(code);
  core::Shared().UpdateInProgress = 0;
  firmware::RemoveStagedTools();
  core::WriteLog("Before HID Enable");
  hw::ResumeInputDevices();
  core::WriteLog("After HID Enable");
  return CompleteUpdate();
}

}  // namespace app
