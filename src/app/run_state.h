// Process-wide state of one update run. One instance; tests start a fresh
// run with ResetRunState().
#pragma once

#include <atomic>
#include <cstdint>

#include "os/os.h"

namespace app {

inline constexpr int kCommandLineSize = 256;  // at most 255 characters and the NUL

struct RunState {
  uint32_t UpdateFlags = 0;
  bool AmiFirmware = false;
  // Shared with the dialog thread, which reads them after the extraction event.
  std::atomic<int32_t> UpdateInProgress{1};
  std::atomic<int32_t> ExtractionSucceeded{0};
  os::EventRef ExtractionEvent = 0;
  os::ModuleRef ResourceModule = 0;
  os::ModuleRef InstanceHandle = 0;
  std::atomic<os::WindowRef> ProgressDialog{0};
  uint8_t ControllerVendorM = 0;
  char FlashCommandLine[kCommandLineSize] = {};
  char MicomCommandLine[kCommandLineSize] = {};
};

RunState& Run();
void ResetRunState();

}  // namespace app
