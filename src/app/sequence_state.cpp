#include "app/sequence_state.h"

#include <new>

#include "firmware/firmware_state.h"
#include "hw/hardware_state.h"
#include "ui/dmi_state.h"
#include "ui/progress_dialog.h"

namespace app {
namespace {
SequenceState g_sequence;
}

SequenceState& Sequence() {
  return g_sequence;
}

void ResetRunState() {
  g_sequence.~SequenceState();
  new (&g_sequence) SequenceState();
  core::ResetSharedState();
  ui::ResetProgressState();
  ui::ResetDmiState();
  firmware::ResetFirmwareState();
  hw::ResetHardwareState();
}

}  // namespace app
