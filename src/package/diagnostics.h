// The fatal end of an extraction: a damaged member, or a decompression that
// cannot go on, ends the whole process with exit status 1 after one line on
// standard error. No message box and no result code follow.
#pragma once

#include <string>

namespace package {

// The running executable's file name, which leads every diagnostic line.
std::string ProgramName();

// Writes `line` and a newline to standard error and ends the process with
// exit status 1.
[[noreturn]] void EndExtraction(const std::string& line);

}  // namespace package
