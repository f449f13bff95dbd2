#include "app/update.h"

#include <cstring>
#include <string>

#include "app/checks.h"
#include "app/driver_steps.h"
#include "app/options.h"
#include "app/sequence_state.h"
#include "app/work_directory.h"
#include "core/messages.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "firmware/file_lists.h"
#include "firmware/firmware_state.h"
#include "firmware/tool_files.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "os/os.h"
#include "package/archive.h"
#include "ui/language.h"
#include "ui/progress_dialog.h"

namespace app {
namespace {

// Steps 1 to 3: platform facts, the legacy driver and the firmware vendor.
core::ResultCode StartUp() {
  hw::ProbePlatform();
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

// The reporter's clean-up removes the tools and files the firmware layer
// knows, and text 21 shows the identities it read.
void RegisterReporterParts() {
  core::CleanupHooks& hooks = core::Cleanup();
  hooks.stopAnimation = ui::StopAnimation;
  hooks.removeStagedTools = firmware::RemoveStagedTools;
  hooks.deleteLeftoverFiles = firmware::DeleteListedFiles;
  const firmware::FirmwareState& state = firmware::Firmware();
  core::ModelMismatch() = {state.CurrentFirmwareIdentity.BiosModelNumber,
                           state.CurrentFirmwareIdentity.BiosPartNumber, state.NewModelNumber,
                           state.NewPartNumber};
}

// Step 9. A box that cannot be shown answers 0: that is no consent.
bool Confirmed() {
  return core::ShowText(core::box::kConfirm, core::Texts::kWarningTitle,
                        core::Texts::kStartupWarning) == 1;
}

}  // namespace

uint32_t RunUpdate(char* commandLine) {
  os::Os().libraries->RestrictLibrarySearch();
  RegisterReporterParts();
  if (core::ResultCode code = StartUp()) return core::ReportResult(code);
  SelectResources();
  if (core::ResultCode code = ReadPackageHeader()) return core::ReportResult(code);
  if (core::ResultCode code = CheckSystemPower()) return core::ReportResult(code);
  if (core::ResultCode code = PrepareWorkDirectory()) return core::ReportResult(code);
  if (!CheckDiskSpace()) return core::ResultDiskSpace;
  if (!Confirmed()) return core::ResultSuccess;

  if (!ui::StartProgressDialog()) return core::ReportResult(core::ResultInitFailed);
  ui::WaitForExtraction();
  if (!ui::Progress().ExtractionSucceeded) return core::ReportResult(core::ResultUnpackFailed);

  if (Sequence().AmiFirmware) {
    firmware::DeletePhoenixSet32();
    firmware::DeletePhoenixSet64();
    return core::ReportResult(kUpdateNotFinished);
  }

  firmware::ClearImageFileList();
  std::memset(Sequence().FlashCommandLine, 0, core::kCommandLineSize);
  std::memset(Sequence().MicomCommandLine, 0, core::kCommandLineSize);
  if (ParseOptions(Sequence().MicomCommandLine, Sequence().FlashCommandLine, commandLine) !=
      core::ResultSuccess)
    return core::ReportResult(core::ResultInvalidOption);
  return core::ReportResult(kUpdateNotFinished);
}

}  // namespace app
