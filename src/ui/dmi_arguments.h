// The DMI step of the Phoenix path: the System Serial, Bios Flag and
// Purchase Date that the flash tool is to write, appended to its command
// line; in a DMI-only run, first asked of the user in the DMI dialog.
#pragma once

#include <cstddef>

namespace ui {

// Appends the DMI arguments to `commandLine`, a buffer of `size` bytes
// holding a NUL-terminated command line: the flash command line, sized so
// that the longest options and both groups of 31-character values fit.
// Writes never pass `size`: a group of arguments that would not fit (only
// in a smaller buffer) is left out whole and logged, never cut. In a
// DMI-only run it deletes the MICOM tool and shows the DMI dialog with the
// input devices resumed around it; a cancelled dialog cleans up and ends
// the process with exit status 0. Always returns 1; the caller ignores it.
int BuildDmiArguments(char* commandLine, size_t size);

}  // namespace ui
