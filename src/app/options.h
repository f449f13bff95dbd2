// The command-line options: bits of UpdateFlags and the command lines of
// the flash and MICOM utilities.
#pragma once

#include "core/results.h"

namespace app {

inline constexpr const char* kPhoenixFlashDefault = "SWinFlash bios.wph /P";
inline constexpr const char* kAmiFlashDefault32 = "afuwin bios.rom /p /b /n /e /r";
inline constexpr const char* kAmiFlashDefault64 = "afuwinx64 bios.rom /p /b /n /e /r";
inline constexpr const char* kMicomDefault = "WinUpV01_10 kbc.bin /FORCE";

// Both buffers hold kCommandLineSize bytes. `text` is consumed in place.
// Returns 0 or ResultInvalidOption; a token or a command line that would
// not fit its 255 characters is refused, never cut.
core::ResultCode ParseOptions(char* micomCommandLine, char* flashCommandLine, char* text);

// The AMI path's parser: only the MICOM options; the flash default follows
// the width of Windows.
core::ResultCode ParseAmiOptions(char* micomCommandLine, char* flashCommandLine, char* text,
                                 bool sixtyFourBitWindows);

}  // namespace app
