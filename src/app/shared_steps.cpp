#include "app/shared_steps.h"

#include <cstring>

#include "app/options.h"
#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/update_flags.h"
#include "firmware/file_lists.h"
#include "firmware/firmware_state.h"
#include "firmware/micom.h"
#include "hw/hardware_state.h"
#include "ui/progress_dialog.h"

namespace app {

core::ResultCode ParseCommandLine(FlashPath path, char* commandLine) {
  SequenceState& sequence = Sequence();
  firmware::ClearImageFileList();
  std::memset(sequence.FlashCommandLine, 0, sizeof sequence.FlashCommandLine);
  std::memset(sequence.MicomCommandLine, 0, sizeof sequence.MicomCommandLine);
  char* micom = sequence.MicomCommandLine;
  char* flash = sequence.FlashCommandLine;
  const core::ResultCode parsed =
      path == FlashPath::kAmi ? ParseAmiOptions(micom, flash, commandLine, hw::Hw().isWow64 != 0)
                              : ParseOptions(micom, flash, commandLine);
  return parsed == core::ResultSuccess ? core::ResultSuccess : core::ResultInvalidOption;
}

void ShowPreparing() {
  ui::SetTaskBullet(ui::kUnpackBullet, true);
  ui::SetStatusText(core::Texts::kPreparingBios);
}

core::ResultCode CheckControllerStep() {
  if (firmware::CheckControllerVendor() < 0) return core::ResultDriverLoad;
  if (firmware::Firmware().ControllerVendorM)
    core::Shared().UpdateFlags |= core::SkipUpdateMicom;
  else
    firmware::FindMicomFiles();
  return core::ResultSuccess;
}

}  // namespace app
