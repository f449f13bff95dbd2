// The hard-disk password check and the input-device operations, run by a
// test program outside the update sequence (which does not call them yet)
// on the installed platform: the Windows build under Wine, or the simulated
// notebook. Both print the same lines, so the two routes can be compared.
#pragma once

namespace hw_operations {

// Suspends input, checks the disks, resumes input, and prints what it saw:
//   devices N mice M                 the device manager's present devices
//   suspend keyboard 0|1             KeyboardControllerOff's result
//   changed by suspend N             devices whose node state the suspend changed
//   drives 0xMASK                    FindPasswordProtectedDrives
//   resume keyboard 0|1
//   changed by resume N
//   log LINE                         each line of DebugLog.txt (current directory)
// Returns the process exit status: 0.
int RunAll();

// Only SetMiceEnabled(false), then SetMiceEnabled(true); prints nothing.
int RunMice();

}  // namespace hw_operations
