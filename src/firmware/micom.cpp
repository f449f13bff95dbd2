#include "firmware/micom.h"

#include "core/log.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/firmware_state.h"
#include "firmware/tool_files.h"
#include "firmware/tool_launch.h"
#include "hw/driver_loading.h"
#include "hw/ec_mailbox.h"

namespace firmware {

int CheckControllerVendor() {
  core::WriteLog("Check Chip Vendor");
  uint32_t port = kChipPortPrimary;
  uint8_t id = hw::ReadChipId(port);
  if (id != hw::kVendorM) {
    port = kChipPortSecondary;
    id = hw::ReadChipId(port);
  }
  core::WriteLog("Check Chip Vendor end");
  if (id != hw::kVendorM) {
    Firmware().ControllerVendorM = 0;
    return 0;
  }
  Firmware().ControllerVendorM = 1;
  if (!hw::OpenDriverWithRetry()) return -1;
  hw::LocateEcMailbox(port);  // no mailbox: the auto-on goes through the keyboard controller
  hw::CloseDriver();
  return 1;
}

core::ResultCode RunMicomTool(const char* commandLine) {
  if (core::Shared().UpdateFlags & core::SkipUpdateMicom) return core::ResultSuccess;
  const ToolRun run = LaunchTool(ToolTask::kFlashMicom, commandLine);
  DeleteMicomTool();
  if (run.ending != ToolRun::Ending::kExited || run.exitCode != 0) return core::ResultMicomFailed;
  MarkTaskDone(ToolTask::kFlashMicom);
  return core::ResultSuccess;
}

}  // namespace firmware
