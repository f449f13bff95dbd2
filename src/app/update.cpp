#include "app/update.h"

#include <cstring>
#include <string>

#include "app/checks.h"
#include "app/driver_steps.h"
#include "app/messages.h"
#include "app/options.h"
#include "app/results.h"
#include "app/run_state.h"
#include "app/work_directory.h"
#include "firmware/tool_files.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "os/os.h"
#include "package/archive.h"
#include "ui/language.h"
#include "ui/progress_dialog.h"

namespace app {
namespace {

constexpr int kStartupTextSize = 512;

// Steps 1 to 3: platform facts, the legacy driver and the firmware vendor.
ResultCode StartUp() {
  hw::ProbePlatform();
  if (!hw::Hw().isWindows7 && !hw::Hw().isWindowsVista && !StageLegacyDriver())
    return ResultUnpackFailed;
  if (!DetectAmiFirmware()) return ResultDriverLoad;
  return ResultSuccess;
}

// Step 4: the language library, or the executable's own resources.
void SelectResources() {
  RunState& run = Run();
  run.InstanceHandle = os::Os().ui->OwnModule();
  if (!ui::LoadLanguageModule()) {
    run.ResourceModule = run.InstanceHandle;
  } else if (!run.ResourceModule) {
    ShowMessage(box::kError, "Fail : Dll", "Fail To Load Dll");
  }
}

// Step 5: the package header's flags word becomes UpdateFlags.
ResultCode ReadPackageHeader() {
  const std::string path = os::Os().system->ModulePath();
  uint32_t offset = 0;
  if (path.empty() || package::ReadArchiveOffset(path, &offset) != package::ArchiveSuccess ||
      package::ProbePackageHeader(path, offset) != package::ArchiveSuccess)
    return ResultInvalidOption;
  return ResultSuccess;
}

// Step 9. A box that cannot be shown answers 0: that is no consent.
bool Confirmed() {
  return ShowMessage(box::kConfirm, LoadText(38), LoadText(16, kStartupTextSize)) == 1;
}

}  // namespace

uint32_t RunUpdate(char* commandLine) {
  os::Os().libraries->RestrictLibrarySearch();
  Cleanup().stopAnimation = ui::StopAnimation;
  if (ResultCode code = StartUp()) return ReportResult(code);
  SelectResources();
  if (ResultCode code = ReadPackageHeader()) return ReportResult(code);
  if (ResultCode code = CheckSystemPower()) return ReportResult(code);
  if (ResultCode code = PrepareWorkDirectory()) return ReportResult(code);
  if (!CheckDiskSpace()) return ResultDiskSpace;
  if (!Confirmed()) return ResultSuccess;

  if (!ui::StartProgressDialog()) return ReportResult(ResultInitFailed);
  ui::WaitForExtraction();
  if (!Run().ExtractionSucceeded) return ReportResult(ResultUnpackFailed);

  if (Run().AmiFirmware) {
    firmware::DeletePhoenixSet32();
    firmware::DeletePhoenixSet64();
    return ReportResult(kUpdateNotFinished);
  }

  std::memset(Run().FlashCommandLine, 0, kCommandLineSize);
  std::memset(Run().MicomCommandLine, 0, kCommandLineSize);
  if (ParseOptions(Run().MicomCommandLine, Run().FlashCommandLine, commandLine) != ResultSuccess)
    return ReportResult(ResultInvalidOption);
  return ReportResult(kUpdateNotFinished);
}

}  // namespace app
