// The one environment variable the updater reads: TEMP.
#pragma once

#include <string>

namespace core {

// TEMP's value when it names a directory: false when it is unset, empty
// (which would make every path relative) or too long for a 260-character
// buffer (a cut path would name some other directory).
bool ReadTempDirectory(std::string* directory);

// TEMP's value, or "C:\" when it cannot be used.
std::string TempDirectoryOrDriveRoot();

// Makes TempDirectoryOrDriveRoot() the current directory. False when it
// cannot be made current: nothing may then be written, or it would land in
// whatever directory is current (the one the package was started from).
bool EnterTempDirectory();

}  // namespace core
