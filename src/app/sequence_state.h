// The update sequence's own state: which flash path this run takes, the
// outside utilities' command lines. One instance; tests start afresh with ResetSequenceState().
#pragma once

#include "core/shared_state.h"

namespace app {

struct SequenceState {
  bool AmiFirmware = false;
  char FlashCommandLine[core::kFlashCommandLineSize] = {};
  char MicomCommandLine[core::kCommandLineSize] = {};
};

SequenceState& Sequence();

// Every subsystem's run state back to its start, for a fresh run in one
// process (tests, the simulator).
void ResetRunState();

}  // namespace app
