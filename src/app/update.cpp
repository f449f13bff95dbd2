#include "app/update.h"

#include <string>

#include "app/ami_path.h"
#include "app/checks.h"
#include "app/driver_steps.h"
#include "app/phoenix_path.h"
#include "app/sequence_state.h"
#include "app/work_directory.h"
#include "core/messages.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/temp_directory.h"
#include "firmware/firmware_state.h"
#include "firmware/tool_files.h"
#include "firmware/tool_launch.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw/input_devices.h"
#include "os/os.h"
#include "package/archive.h"
#include "ui/language.h"
#include "ui/progress_dialog.h"

namespace app {
namespace {

// Steps 1 to 3: platform facts, the legacy driver and the firmware vendor.
core::ResultCode StartUp() {
  hw::ProbePlatform();
  // The legacy driver, the language library and the first log line go to
  // %TEMP% (or C:\); when it cannot be made current nothing is written at all.
  if (!core::EnterTempDirectory()) return core::ResultDirectory;
  if (!hw::Hw().isWindows7 && !hw::Hw().isWindowsVista && !StageLegacyDriver())
    return core::ResultUnpackFailed;
  if (!DetectAmiFirmware()) return core::ResultDriverLoad;
  return core::ResultSuccess;
}

// Step 4: the language library, or the executable's own resources.
void SelectResources() {
  core::SharedState& shared = core::Shared();
  if (!ui::LoadLanguageModule(Sequence().AmiFirmware)) {
    shared.ResourceModule = os::Os().ui->OwnModule();
  } else if (!shared.ResourceModule) {
    core::ShowMessage(core::box::kError, "Fail : Dll", "Fail To Load Dll");
  }
}

// Step 5: the package header's flags word becomes UpdateFlags.
core::ResultCode ReadPackageHeader() {
  const std::string path = os::Os().system->ModulePath();
  uint32_t offset = 0;
  if (path.empty() || package::ReadArchiveOffset(path, &offset) != package::ArchiveSuccess ||
      package::ProbePackageHeader(path, offset) != package::ArchiveSuccess)
    return core::ResultInvalidOption;
  return core::ResultSuccess;
}

// The reporter's clean-up resumes the input devices this run suspended and
// removes the tools and files the firmware layer knows, and text 21 shows
// the identities it read; the dialog marks the tools' tasks.
void RegisterLowerLayerParts() {
  core::CleanupHooks& hooks = core::Cleanup();
  hooks.stopAnimation = ui::StopAnimation;
  hooks.resumeInputDevices = [] { hw::ResumeInputDevices(); };
  hooks.removeStagedTools = firmware::RemoveStagedTools;
  hooks.deleteLeftoverFiles = firmware::DeleteListedFiles;
  const firmware::FirmwareState& state = firmware::Firmware();
  core::ModelMismatch() = {state.CurrentFirmwareIdentity.BiosModelNumber,
                           state.CurrentFirmwareIdentity.BiosPartNumber, state.NewModelNumber,
                           state.NewPartNumber};
  firmware::TaskMarks() = {ui::ToolTaskStarted, ui::ToolTaskDone};
}

// Step 9: 1 OK, 2 Cancel, 0 when the box could not be shown.
int Confirmation() {
  return core::ShowText(core::box::kConfirm, core::Texts::kWarningTitle,
                        core::Texts::kStartupWarning);
}

// A second copy started while one runs ends before it extracts or touches
// anything. No library is loaded yet, so the executable words the message;
// the package header's NoMessageBox, read without writing anything,
// silences it.
uint32_t ReportAnotherUpdate() {
  ReadPackageHeader();
  core::ShowMessage(core::box::kError, "Fail : Update Running",
                    "Another update is running.\n\nProgram will be terminated.");
  return core::ResultInitFailed;
}

}  // namespace

uint32_t RunUpdate(char* commandLine) {
  os::Os().libraries->RestrictLibrarySearch();
  RegisterLowerLayerParts();
  // One update at a time on a machine: two flash tools at once would ruin it.
  const os::Claim claim = os::Os().system->ClaimMachineWide(kRunMarkerName);
  if (claim == os::Claim::kHeldElsewhere) return ReportAnotherUpdate();
  if (claim != os::Claim::kTaken) return core::ReportResult(core::ResultInitFailed);
  if (core::ResultCode code = StartUp()) return core::ReportResult(code);
  SelectResources();
  if (core::ResultCode code = ReadPackageHeader()) return core::ReportResult(code);
  if (core::ResultCode code = CheckSystemPower()) return core::ReportResult(code);
  if (core::ResultCode code = PrepareWorkDirectory()) return core::ReportResult(code);
  if (!CheckDiskSpace()) return core::ResultDiskSpace;
  const int answer = Confirmation();
  // A box that cannot be shown is no consent, and no service script may read
  // it as success.
  if (answer == 0) return core::ReportResult(core::ResultInitFailed);
  if (answer != 1) return core::ResultSuccess;

  if (!ui::StartProgressDialog()) return core::ReportResult(core::ResultInitFailed);
  ui::WaitForExtraction();
  if (!ui::Progress().ExtractionSucceeded) return core::ReportResult(core::ResultUnpackFailed);

  if (!Sequence().AmiFirmware) return RunPhoenixPath(commandLine);
  firmware::DeletePhoenixSet32();
  firmware::DeletePhoenixSet64();
  return RunAmiPath(commandLine);
}

}  // namespace app
