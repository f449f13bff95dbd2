// What an outside utility does once started, as the substitutes do it in
// both test routes: it records its command line and working directory,
// checks the file it is given, shows the flash tool's window while it
// works, leaves the files its script names and ends with the script's exit
// code. It never touches hardware.
#pragma once

#include <stdint.h>

#include "os/sim/utilities/script.h"

namespace utilities {

inline constexpr const char* kFlashToolWindowTitle = "Phoenix Secure WinFlash";
inline constexpr uint32_t kLargestFile = 16u << 20;

// Where the utility runs: its working directory's files, its window, its
// record. Names are relative to the working directory.
struct Host {
  void* context;
  // The whole file in `*data` (valid until the next call); false when it
  // cannot be read.
  bool (*read)(void* context, const char* name, const uint8_t** data, uint32_t* size);
  bool (*write)(void* context, const char* name, const uint8_t* data, uint32_t size);
  // Memory for a file about to be written, valid until the next call; null
  // when there is none.
  uint8_t* (*scratch)(void* context, uint32_t size);
  // Shows a top-level window with `title` for `milliseconds`; true when it
  // was closed from outside (WM_CLOSE) before.
  bool (*showWindow)(void* context, const char* title, uint32_t milliseconds);
  void (*record)(void* context, const char* line);
};

// Entries of a Phoenix image's flash-area table before its terminator
// (markers "ZFLPF" and "ZQDS" behind the first 512 KiB or 1 MiB, the
// table at the first marker plus the header's u32 at byte 53); -1 when the
// markers, the header or the table's end do not lie within the file.
int32_t FlashAreaEntries(const uint8_t* image, uint32_t size);

// Offsets of the blocks in "newSys.bin"; the rest of the file is 0xFF.
inline constexpr uint32_t kDiagBlock = 0x8000, kDevelBlock = 0x9000, kBcpDmiBlock = 0xA000,
                          kBcpSysBlock = 0xB000;
// Fills `out` (file.size bytes) with the file's content; a block that
// would not fit is left out.
void BuildNewSystemFile(const NewSystemFile& file, uint8_t* out);

// The Phoenix flash tool shows a window while it runs; the others do not.
bool ShowsWindow(const char* name);

// Runs utility `name` (its program name without ".exe") as started with
// `commandLine` in `directory`; gives its exit code.
int32_t RunUtility(const char* name, const char* commandLine, const char* directory,
                   const Script& script, const Host& host);

}  // namespace utilities
