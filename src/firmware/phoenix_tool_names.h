// The Phoenix flash tool's files: the set of each width as a package carries
// it, and the working names the staging renames them to, in one order (tool,
// driver, library, settings, log). The package tool's check reads the same
// names.
#pragma once

#include <cstddef>

namespace firmware {

inline constexpr const char* kPhoenix32[] = {"SWinFlash_32.exe", "PhlashNT_32.sys",
                                             "PhlashLc_32.dll", "PHLASH_32.INI", "PHLASH_32.LOG"};
inline constexpr const char* kPhoenix64[] = {"SWinFlash_64.exe", "PhlashNT_64.sys",
                                             "PhlashLc_64.dll", "PHLASH_64.INI", "PHLASH_64.LOG"};
inline constexpr const char* kPhoenixWorkingNames[] = {"SWinFlash.exe", "PhlashNT.sys",
                                                       "PhlashLc.dll", "PHLASH.INI", "PHLASH.LOG"};
// The files a package must carry of each set: all but the log, which the
// tool writes.
inline constexpr size_t kPhoenixCarried = 4;

}  // namespace firmware
