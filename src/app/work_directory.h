// The work directory %TEMP%\__Orvanta_Update\: every file of a run lives
// there, and it is the current directory from its preparation on.
#pragma once

#include "core/results.h"

namespace app {

inline constexpr const char* kWorkDirectoryName = "__Orvanta_Update\\";

// Builds the path into RunState::WorkDirectory, makes it current (creating
// it when missing, emptying it when it exists). 0 or ResultDirectory.
core::ResultCode PrepareWorkDirectory();

// Deletes every file of the current directory, logging each entry.
core::ResultCode DeleteWorkFiles();

}  // namespace app
