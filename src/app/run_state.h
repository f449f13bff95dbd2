// Process-wide state of one update run. One instance; tests start a fresh
// run with ResetRunState().
#pragma once

#include <atomic>
#include <cstdint>

#include "os/os.h"

namespace app {

inline constexpr int kCommandLineSize = 256;  // at most 255 characters and the NUL
inline constexpr int kPathSize = 260;

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
  // %TEMP%\__Orvanta_Update\ with its trailing backslash; empty until prepared.
  char WorkDirectory[kPathSize] = {};
  // Set by the input-device step when this run switched mouse and keyboard
  // off, so that a failure resumes only what this run suspended.
  bool InputDevicesSuspended = false;
};

RunState& Run();
void ResetRunState();

}  // namespace app
