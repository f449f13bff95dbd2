#include "app/driver_steps.h"

#include "app/messages.h"
#include "app/run_state.h"
#include "hw/chipset.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw/memory_search.h"
#include "os/os.h"

namespace app {
namespace {
constexpr int kOpenAttempts = 10;
}  // namespace

int OpenDriverWithRetry() {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    if (hw::OpenDriver()) return 1;
  }
  const hw::HardwareState& state = hw::Hw();
  if (state.isWindows7 || state.isWindowsVista) {
    // Shown whatever NoMessageBox says: without the driver nothing can be done.
    os::Os().ui->ShowMessageBox(0,
                                "Fail to update.\nCheck if LMX(Lumivex) is installed.\nLMX must be "
                                "installed to update BIOS.",
                                "Driver Load Fail", box::kError);
    os::Os().system->ExitProcess(static_cast<uint32_t>(-1));
  }
  return 0;
}

int DetectAmiFirmware() {
  if (!OpenDriverWithRetry()) return 0;
  Run().AmiFirmware = false;
  if (hw::FindSignature(0xF0000, 0x10000, "AMIBIOS Version", 16) != 0) Run().AmiFirmware = true;
  hw::CloseDriver();
  return 1;
}

ResultCode ClearCmosBytes() {
  if (!OpenDriverWithRetry()) return ResultDriverLoad;
  for (int index = 0x20; index <= 0x7F; ++index) hw::WriteCmos(static_cast<uint8_t>(index), 0);
  for (int index = 0x00; index <= 0x7F; ++index) hw::WriteCmosHigh(static_cast<uint8_t>(index), 0);
  hw::CloseDriver();
  return ResultSuccess;
}

}  // namespace app
