// The part of a run's state that every subsystem reads: the flags word, the
// module texts come from, the window that owns message boxes, the work
// directory. One instance; tests start afresh with ResetSharedState().
#pragma once

#include <atomic>
#include <cstdint>

#include "os/os.h"

namespace core {

inline constexpr int kCommandLineSize = 256;  // at most 255 characters and the NUL
// The flash tool's command line: the options' 255 characters and the DMI
// step's arguments (at most 238 characters) with room to spare, so that the
// DMI step never has to cut a value.
inline constexpr int kFlashCommandLineSize = 512;
inline constexpr int kPathSize = 260;

struct SharedState {
  uint32_t UpdateFlags = 0;
  // Read by the dialog thread when the user presses Cancel.
  std::atomic<int32_t> UpdateInProgress{1};
  os::ModuleRef ResourceModule = 0;
  // Written by the dialog thread, read as the owner of every message box.
  std::atomic<os::WindowRef> ProgressDialog{0};
  // %TEMP%\__Orvanta_Update\ with its trailing backslash; empty until prepared.
  char WorkDirectory[kPathSize] = {};
  // Set once this run switched mouse and keyboard off, so that the
  // reporter's clean-up resumes only what this run suspended.
  bool InputDevicesSuspended = false;
};

SharedState& Shared();
void ResetSharedState();

}  // namespace core
