#include "app/driver_steps.h"

#include "app/sequence_state.h"
#include "hw/chipset.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw/memory_search.h"
#include "os/os.h"

namespace app {
int DetectAmiFirmware() {
  if (!hw::OpenDriverWithRetry()) return 0;
  Sequence().AmiFirmware = false;
  if (hw::FindSignature(0xF0000, 0x10000, "AMIBIOS Version", 16) != 0)
    Sequence().AmiFirmware = true;
  hw::CloseDriver();
  return 1;
}

core::ResultCode ClearCmosBytes() {
  if (!hw::OpenDriverWithRetry()) return core::ResultDriverLoad;
  for (int index = 0x20; index <= 0x7F; ++index) hw::WriteCmos(static_cast<uint8_t>(index), 0);
  for (int index = 0x00; index <= 0x7F; ++index) hw::WriteCmosHigh(static_cast<uint8_t>(index), 0);
  hw::CloseDriver();
  return core::ResultSuccess;
}

}  // namespace app
