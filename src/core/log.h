// The diagnostic log "DebugLog.txt" in the current directory: one
// open-append-close per line, CRLF endings, no timestamps.
#pragma once

#include "core/format.h"

namespace core {

inline constexpr const char* kLogFileName = "DebugLog.txt";

void WriteLogLine(std::string_view format, std::initializer_list<FormatArg> args);

template <typename... Args>
void WriteLog(std::string_view format, const Args&... args) {
  WriteLogLine(format, {FormatArg(args)...});
}

}  // namespace core
