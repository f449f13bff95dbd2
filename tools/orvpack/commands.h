// The tool's commands. Each takes its arguments (after the command word)
// and returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace orvpack {

// Exit codes, documented in docs/package-tool.md.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFaults = 1;  // the package is damaged, or build refused its inputs
inline constexpr int kExitUsage = 2;
inline constexpr int kExitIo = 3;        // a file could not be opened, read or written
inline constexpr int kExitWarnings = 4;  // check found warnings and no error

using Arguments = std::vector<std::string>;

int RunBuild(const Arguments& args);
int RunList(const Arguments& args);
int RunVerify(const Arguments& args);
int RunCheck(const Arguments& args);
int RunExtract(const Arguments& args);

// Writes "orvpack: <text>" to standard error.
void Complain(const std::string& text);

}  // namespace orvpack
