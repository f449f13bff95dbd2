#include "app/phoenix_path.h"

#include "app/completion.h"
#include "app/driver_steps.h"
#include "app/sequence_state.h"
#include "app/shared_steps.h"
#include "core/log.h"
#include "core/messages.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/current_identity.h"
#include "firmware/flash_area_patch.h"
#include "firmware/file_lists.h"
#include "firmware/flash_tool.h"
#include "firmware/image_selection.h"
#include "firmware/micom.h"
#include "firmware/read_bios.h"
#include "firmware/tool_files.h"
#include "hw/chipset.h"
#include "hw/disk_password.h"
#include "hw/hardware_state.h"
#include "hw/input_devices.h"
#include "ui/dmi_arguments.h"

namespace app {
namespace {

constexpr uint32_t kPatchFlags = core::FlashLastArea | core::BreakEscd | core::DmiOnly;

bool Flag(uint32_t bit) {
  return (core::Shared().UpdateFlags & bit) != 0;
}

// The firmware saved to "ReadRomFile.bin", nothing flashed, no message.
uint32_t EndWithReadBios() {
  firmware::ReadBiosToFile("ReadRomFile.bin");
  firmware::RemoveStagedTools();
  hw::ResumeInputDevices();
  return core::ResultSuccess;
}

// "Step 00" to "Step 06": the checks and the image the flash tool gets.
core::ResultCode PrepareImage() {
  core::WriteLog("Step 00");
  ShowPreparing();
  if (hw::FindPasswordProtectedDrives() != 0) return core::ResultHddPassword;
  core::WriteLog("Step 01");
  firmware::FindImageFiles();
  core::WriteLog("Step 02");
  if (core::ResultCode code = CheckControllerStep()) return code;
  core::WriteLog("Step 03");
  if (core::ResultCode code = firmware::ReadCurrentIdentity()) return code;
  core::WriteLog("Step 04");
  if (core::ResultCode code = firmware::SelectImageFiles()) return code;
  core::WriteLog("Step 05");
  ui::BuildDmiArguments(Sequence().FlashCommandLine, sizeof Sequence().FlashCommandLine);
  core::WriteLog("Step 06");
  if (Flag(kPatchFlags)) firmware::PatchFlashAreaTable();
  return core::ResultSuccess;
}

// The DMI values are written: the machine restarts when the user says so.
uint32_t EndDmiOnly() {
  hw::ResumeInputDevices();
  firmware::RemoveStagedTools();
  core::ShowMessage(core::box::kInformation, "Complete",
                    "DMI Update is complete.\n\nRestart system.");
  return core::ResultSuccess;
}

// After the flash: the MICOM tool, the CMOS when asked, "Step 08".
core::ResultCode FinishFirmware() {
  if (core::ResultCode code = firmware::RunMicomTool(Sequence().MicomCommandLine)) return code;
  if (Flag(core::ClearCmos)) ClearCmosBytes();
  core::WriteLog("Step 08");
  if (hw::EnableGlobalSmi() != core::ResultSuccess) return core::ResultSmiEnable;
  return core::ResultSuccess;
}

}  // namespace

uint32_t RunPhoenixPath(char* commandLine) {
  if (core::ResultCode code = ParseCommandLine(FlashPath::kPhoenix, commandLine))
    return core::ReportResult(code);
  firmware::StagePhoenixTools(hw::Hw().isWow64 ? 64 : 32);
  hw::SuspendInputDevices();
  if (Flag(core::ReadBios)) return EndWithReadBios();
  if (core::ResultCode code = PrepareImage()) return core::ReportResult(code);
  core::WriteLog("Step 06-1");
  if (core::ResultCode code = firmware::RunFlashTool(Sequence().FlashCommandLine))
    return core::ReportResult(code);
  core::WriteLog("Step 07");
  if (Flag(core::DmiOnly)) return EndDmiOnly();
  if (core::ResultCode code = FinishFirmware()) return core::ReportResult(code);
  core::Shared().UpdateInProgress = 0;
  firmware::RemoveStagedTools();
  hw::ResumeInputDevices();
  return CompleteUpdate();
}

}  // namespace app
