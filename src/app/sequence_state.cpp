#include "app/sequence_state.h"

#include <new>

#include "hw/hardware_state.h"
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
  hw::ResetHardwareState();
}

}  // namespace app
